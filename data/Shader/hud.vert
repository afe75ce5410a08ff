#version 330 core

// The HUD layer spans the whole window; its fragment shader keeps only the HUD.
layout(location = 0) in vec3 position;
layout(location = 2) in vec2 uv;

out vec2 texCoord;

void main() {
    texCoord = uv;
    gl_Position = vec4(position.xy, 0.0, 1.0);
}
