#version 330 core

// Adds the blurred glow onto the scene.
uniform sampler2D glowMap;
uniform sampler2D sceneMap;

in vec2 texCoord;
out vec4 fragColor;

void main() {
    vec3 scene = texture(sceneMap, texCoord).rgb;
    vec3 glow = texture(glowMap, texCoord).rgb;
    fragColor = vec4(scene + glow, 1.0);
}
