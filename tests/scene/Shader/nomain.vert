#version 330 core
// Compiles on its own, but a program cannot link without an entry point.
in vec3 position;
vec4 place() {
    return vec4(position, 1.0);
}
