#include "scene/CookedLevels.h"

std::string glDriverName() {
    const auto text = [](GLenum name) {
        const GLubyte* value = glGetString(name);
        return value != nullptr ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    };
    return text(GL_RENDERER) + " | " + text(GL_VERSION);
}

void uploadLevels(const CookedImage& image, GLint internalFormat, GLenum format) {
    GLint oldAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (std::size_t level = 0; level < image.levels.size(); ++level) {
        const CookedImage::Level& l = image.levels[level];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), internalFormat, l.width, l.height, 0, format,
                     GL_UNSIGNED_BYTE, l.pixels.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlignment);
}

CookedImage readLevels(int channels, GLenum format) {
    CookedImage image;
    image.channels = channels;
    GLint oldAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &oldAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (GLint level = 0;; ++level) {
        CookedImage::Level& l = image.levels.emplace_back();
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &l.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &l.height);
        l.pixels.resize(static_cast<std::size_t>(l.width) * static_cast<std::size_t>(l.height) *
                        static_cast<std::size_t>(channels));
        glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, l.pixels.data());
        if ((l.width <= 1 && l.height <= 1) || level >= 31) break;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, oldAlignment);
    return image;
}
