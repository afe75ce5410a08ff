#pragma once

#include <GL/glew.h>

namespace murk {

// Allocates an empty width x height texture on the given unit (left active
// and bound there), with linear filters and no mipmaps (nothing reads them).
// Off-screen targets of the shadow maps and the bloom chain share this.
GLuint createRenderTexture(GLenum unit, GLint internalFormat, int width, int height,
                           GLenum format, GLenum type);

}  // namespace murk
