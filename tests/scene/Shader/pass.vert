#version 330 core
// Position and uv only: objects drawn with it leave normals and tangents unconnected.
in vec3 position;
in vec2 uv;
out vec4 colour;
void main() {
    colour = vec4(uv, 1.0, 1.0);
    gl_Position = vec4(position, 1.0);
}
