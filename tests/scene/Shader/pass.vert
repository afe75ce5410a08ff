#version 330 core
// Position and uv only: objects drawn with it have normals left unconnected.
in vec3 position;
in vec2 uv;
out vec2 texCoord;
void main() {
    texCoord = uv;
    gl_Position = vec4(position, 1.0);
}
