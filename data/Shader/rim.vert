#version 330 core

// The flashlight held in front of the camera.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 modelMatrix;
uniform mat4 normalMatrix;
uniform mat4 mvpMatrix;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 texCoord;

void main() {
    vec4 p = vec4(position, 1.0);
    worldPosition = (modelMatrix * p).xyz;
    worldNormal = mat3(normalMatrix) * normal;
    texCoord = uv;
    gl_Position = mvpMatrix * p;
}
