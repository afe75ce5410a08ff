// Draws nothing: makes the empty textures the passes draw into.
#include "render/RenderTexture.h"

namespace murk {

GLuint createRenderTexture(GLenum unit, GLint internalFormat, int width, int height,
                           GLenum format, GLenum type) {
    GLuint texture = 0;
    glActiveTexture(unit);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Level 0 only: every pass reads these at full size, and a mipmap chain
    // would add a third to the memory of each target for nothing.
    return texture;
}

}  // namespace murk
