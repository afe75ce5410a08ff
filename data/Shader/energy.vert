#version 330 core

// A pick-up orb.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 modelMatrix;
uniform mat4 mvpMatrix;

out vec3 worldPosition;
out vec3 worldNormal;

void main() {
    vec4 p = vec4(position, 1.0);
    worldPosition = (modelMatrix * p).xyz;
    // Pick-ups are only translated and uniformly scaled.
    worldNormal = mat3(modelMatrix) * normal;
    gl_Position = mvpMatrix * p;
}
