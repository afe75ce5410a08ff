#version 330 core

// Colour writes are masked off during the depth pass; this only has to link.
out vec4 fragColor;

void main() {
    fragColor = vec4(0.0);
}
