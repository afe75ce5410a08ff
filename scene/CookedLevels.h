#pragma once

#include <string>

#include <GL/glew.h>

#include "scene/CookedImage.h"

// The GL side of kept mipmap levels, on the texture bound to GL_TEXTURE_2D.

// Which GL made the levels: a chain kept from another driver is not used.
std::string glDriverName();

// Uploads every level as it was kept, in `format` (GL_BGR, GL_BGRA, GL_RED ...).
void uploadLevels(const CookedImage& image, GLint internalFormat, GLenum format);

// Reads every level back, down to 1x1, as the driver made it.
CookedImage readLevels(int channels, GLenum format);
