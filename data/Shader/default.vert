#version 330 core

// Lit scene surfaces. "position" stays at location 0 like in every scene
// program, so the shadow pass can draw this object's vertex array.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
layout(location = 3) in vec4 tangent;

uniform mat4 modelMatrix;
uniform mat4 normalMatrix;
uniform mat4 mvpMatrix;
uniform mat4 shadowTexMatrix_0;
uniform mat4 shadowTexMatrix_1;

out vec3 worldPosition;
out vec3 worldNormal;
out vec4 worldTangent;
out vec2 texCoord;
out vec4 shadowCoord_0;
out vec4 shadowCoord_1;

// Matches "depth.vert" exactly, so the depth that pass laid down is met again.
invariant gl_Position;

void main() {
    vec4 p = vec4(position, 1.0);
    worldPosition = (modelMatrix * p).xyz;
    worldNormal = mat3(normalMatrix) * normal;
    worldTangent = vec4(mat3(modelMatrix) * tangent.xyz, tangent.w);
    texCoord = uv;
    shadowCoord_0 = shadowTexMatrix_0 * p;
    shadowCoord_1 = shadowTexMatrix_1 * p;
    gl_Position = mvpMatrix * vec4(position, 1.0);
}
