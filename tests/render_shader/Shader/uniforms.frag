#version 330 core
uniform float opacity;
uniform vec3 cameraLocation;
uniform sampler2D diffuseTexture;
out vec4 fragColor;
void main() {
    fragColor = vec4(texture(diffuseTexture, vec2(0.5)).rgb + cameraLocation, opacity);
}
