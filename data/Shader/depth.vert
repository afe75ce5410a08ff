#version 330 core

// Depth only, laid down before the lit scene pass so the expensive
// lighting runs once per pixel instead of once per covering surface. The
// position must come out bit-identical to "default.vert" so its fragments
// meet this depth again.
layout(location = 0) in vec3 position;

uniform mat4 mvpMatrix;

invariant gl_Position;

void main() {
    gl_Position = mvpMatrix * vec4(position, 1.0);
}
