#version 330 core
// The uniforms exist only in the variants that define their names.
in vec3 position;
#ifdef MARK
uniform float vertexMark;
#endif
void main() {
    float scale = 1.0;
#ifdef MARK
    scale = vertexMark;
#endif
    gl_Position = vec4(position * scale, 1.0);
}
