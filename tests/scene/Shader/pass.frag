#version 330 core
in vec2 texCoord;
out vec4 fragColor;
void main() {
    // White wherever uvs are non-negative, which keeps "uv" an active input.
    fragColor = vec4(clamp(texCoord.x + 10.0, 0.0, 1.0), 1.0, 1.0, 1.0);
}
