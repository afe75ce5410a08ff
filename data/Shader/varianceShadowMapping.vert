#version 330 core

// Scene objects keep "position" at location 0 in every program, so this pass
// can draw their vertex arrays although they were built for other programs.
layout(location = 0) in vec3 position;

uniform mat4 mvpMatrix;

// Distance from the light along its axis (clip w of a perspective projection).
out float lightDistance;

void main() {
    gl_Position = mvpMatrix * vec4(position, 1.0);
    lightDistance = gl_Position.w;
}
