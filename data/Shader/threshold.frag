#version 330 core

// Bright pass: keeps the parts of the scene whose luminance exceeds
// "threshold", fading in over the range above it so the glow does not pop.
// The target has the scene's size, so each fragment reads its own texel.
uniform sampler2D sceneMap;
uniform float threshold;

in vec2 texCoord;
out vec4 fragColor;

void main() {
    vec3 colour = texelFetch(sceneMap, ivec2(gl_FragCoord.xy), 0).rgb;
    float luminance = dot(colour, vec3(0.2126, 0.7152, 0.0722));
    float amount = clamp((luminance - threshold) / max(1.0 - threshold, 1e-4), 0.0, 1.0);
#ifdef ONLY_BRIGHT
    // The target was cleared to black: what stays below writes nothing, so
    // a query over a tile tells whether any of it glows.
    if (amount <= 0.0) {
        discard;
    }
#endif
    fragColor = vec4(colour * amount, 1.0);
}
