#version 330 core

// Full-screen pass: the quad covers clip space, uv runs 0..1 across the target.
layout(location = 0) in vec3 position;
layout(location = 2) in vec2 uv;

out vec2 texCoord;

void main() {
    texCoord = uv;
    gl_Position = vec4(position, 1.0);
}
