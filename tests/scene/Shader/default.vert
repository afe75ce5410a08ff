#version 330 core
// Named as the model loader asks for its "default" program.
// Each attribute shows in one colour channel, so a missing or misplaced
// connection changes the colour.
in vec3 position;
in vec3 normal;
in vec2 uv;
in vec4 tangent;
out vec4 colour;
void main() {
    colour = vec4(normal.z, uv.y, tangent.x, 1.0);
    gl_Position = vec4(position, 1.0);
}
