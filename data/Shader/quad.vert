#version 330 core

// Full-window image: the quad already spans clip space. SCALED reads only the
// lower left imageScale of the image: the part a render scale below 1 drew.
layout(location = 0) in vec3 position;
layout(location = 2) in vec2 uv;

#ifdef SCALED
uniform vec2 imageScale;
#endif

out vec2 texCoord;

void main() {
#ifdef SCALED
    texCoord = uv * imageScale;
#else
    texCoord = uv;
#endif
    gl_Position = vec4(position.xy, 0.0, 1.0);
}
