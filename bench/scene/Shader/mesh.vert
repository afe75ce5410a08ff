#version 330 core
in vec3 position;
in vec3 normal;
in vec2 uv;
in vec4 tangent;
uniform mat4 mvpMatrix;
out vec3 shade;
void main() {
    shade = normal * 0.5 + 0.5 + vec3(uv, tangent.w) * 0.001 + tangent.xyz * 0.001;
    gl_Position = mvpMatrix * vec4(position, 1.0);
}
