#version 330 core

// Adds the blurred glow onto the scene. Both have the target's size, so
// each fragment reads its own texel of each.
uniform sampler2D glowMap;
uniform sampler2D sceneMap;

in vec2 texCoord;
out vec4 fragColor;

void main() {
    ivec2 at = ivec2(gl_FragCoord.xy);
    vec3 scene = texelFetch(sceneMap, at, 0).rgb;
    vec3 glow = texelFetch(glowMap, at, 0).rgb;
    fragColor = vec4(scene + glow, 1.0);
}
