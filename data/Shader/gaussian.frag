#version 330 core

// One direction of a separable 9-tap Gaussian (binomial weights). Linear
// filtering blends each pair of outer taps in one read: 5 reads instead of 9.
// "scale" is one texel along the blur direction, (0, 0) across it.
uniform sampler2D shadowMap;
uniform vec2 scale;

in vec2 texCoord;
out vec4 fragColor;

const float offsets[3] = float[](0.0, 1.3846153846, 3.2307692308);
const float weights[3] = float[](0.2270270270, 0.3162162162, 0.0702702703);

// Clamping to the outermost texel centres behaves like clamp-to-edge, so the
// border does not pull in the opposite edge through the default repeat wrap.
vec4 tap(vec2 coord) {
    return texture(shadowMap, clamp(coord, 0.5 * scale, vec2(1.0) - 0.5 * scale));
}

void main() {
    vec4 sum = texture(shadowMap, texCoord) * weights[0];
    for (int i = 1; i < 3; ++i) {
        vec2 offset = scale * offsets[i];
        sum += (tap(texCoord + offset) + tap(texCoord - offset)) * weights[i];
    }
    fragColor = sum;
}
