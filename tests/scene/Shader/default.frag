#version 330 core
// Named as the model loader asks for its "default" program.
in vec4 colour;
out vec4 fragColor;
void main() {
    fragColor = colour;
}
