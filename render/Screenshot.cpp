// Draws nothing: reads the finished back buffer into a PNG.
#include "render/Screenshot.h"

#include <cstring>
#include <filesystem>
#include <vector>

#include <FreeImage.h>
#include <GL/glew.h>


namespace screenshot {

bool saveBackBuffer(const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> pixels(rowBytes * static_cast<std::size_t>(height));
    GLint previousAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    // FreeImage keeps 24-bit pixels as blue, green, red.
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);

    FIBITMAP* image = FreeImage_Allocate(width, height, 24);
    if (image == nullptr) {
        return false;
    }
    // GL returns the bottom row first and FreeImage's scan line 0 is the
    // bottom row too, so rows go across in order; only FreeImage's own row
    // padding differs.
    for (int y = 0; y < height; ++y) {
        std::memcpy(FreeImage_GetScanLine(image, y), pixels.data() + rowBytes * static_cast<std::size_t>(y),
                    rowBytes);
    }
    const bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), PNG_DEFAULT) != 0;
    FreeImage_Unload(image);
    return saved;
}

std::string nextFileName(const std::string& directory) {
    const std::filesystem::path base = directory.empty() ? std::filesystem::path(".") : std::filesystem::path(directory);
    for (int n = 1;; ++n) {
        const std::string name = "screenshot-" + std::to_string(n) + ".png";
        std::error_code error;
        if (!std::filesystem::exists(base / name, error)) {
            return directory.empty() ? name : (base / name).string();
        }
    }
}

}  // namespace screenshot
