#version 330 core
in vec3 shade;
uniform float opacity;
uniform sampler2D diffuseTexture;
uniform sampler2D normalTexture;
out vec4 fragColor;
void main() {
    vec3 sampled = texture(diffuseTexture, vec2(0.5)).rgb + texture(normalTexture, vec2(0.5)).rgb;
    fragColor = vec4(shade + sampled * 0.001, opacity);
}
