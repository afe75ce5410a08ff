#version 330 core

uniform sampler2D quadTexture;

in vec2 texCoord;
out vec4 fragColor;

void main() {
    fragColor = vec4(texture(quadTexture, texCoord).rgb, 1.0);
}
