#version 330 core

// One direction of the separable bloom blur, the same 9-tap Gaussian as
// the shadow-map blur. The glow image arrives in "shadowMap" (the name both
// blur programs share).
// "scale" is one texel along the blur direction, (0, 0) across it. The
// target has the source's size, so each fragment reads whole texels:
// unfiltered reads cost far less than filtered ones on a software
// rasteriser, and nine of them beat five bilinear reads.
uniform sampler2D shadowMap;
uniform vec2 scale;

in vec2 texCoord;
out vec4 fragColor;

const float weights[5] = float[](0.2270270270, 0.1945945946, 0.1216216216, 0.0540540541, 0.0162162162);

void main() {
    ivec2 size = textureSize(shadowMap, 0);
    ivec2 step = ivec2(round(scale * vec2(size)));
    // The fragment's own texel: at a render scale below 1 the pass covers
    // only the lower left part of its target.
    ivec2 at = ivec2(gl_FragCoord.xy);
    ivec2 last = size - 1;
    vec4 sum = texelFetch(shadowMap, at, 0) * weights[0];
    for (int i = 1; i < 5; ++i) {
        // Clamped to the edge texels, so the border does not wrap around.
        vec4 ahead = texelFetch(shadowMap, clamp(at + step * i, ivec2(0), last), 0);
        vec4 behind = texelFetch(shadowMap, clamp(at - step * i, ivec2(0), last), 0);
        sum += (ahead + behind) * weights[i];
    }
    fragColor = sum;
}
