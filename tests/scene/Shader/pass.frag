#version 330 core
in vec4 colour;
out vec4 fragColor;
void main() {
    fragColor = colour;
}
