// Draws nothing: reads the finished back buffer into a PNG.
#include "render/Screenshot.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/AtomicFile.h"

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
    // Encoded in memory, then written as a whole: a full disk leaves no half picture.
    FIMEMORY* memory = FreeImage_OpenMemory();
    bool saved = memory != nullptr && FreeImage_SaveToMemory(FIF_PNG, image, memory, PNG_DEFAULT) != 0;
    FreeImage_Unload(image);
    BYTE* bytes = nullptr;
    DWORD size = 0;
    saved = saved && FreeImage_AcquireMemory(memory, &bytes, &size) != 0 &&
            writeFileAtomically(path, std::string(reinterpret_cast<const char*>(bytes), size));
    if (memory != nullptr) FreeImage_CloseMemory(memory);
    return saved;
}

std::string nextFileName(const std::string& directory) {
    const std::filesystem::path base = directory.empty() ? std::filesystem::path(".") : std::filesystem::path(directory);
    // Claimed by exclusive creation: a name planted as a link, even a
    // dangling one, is passed over rather than written through.
    for (int n = 1; n < 1000000; ++n) {
        const std::string name = "screenshot-" + std::to_string(n) + ".png";
        const std::string path = directory.empty() ? name : (base / name).string();
        if (claimNewFile(path)) return path;
        if (errno != EEXIST) return "";
    }
    return "";
}

}  // namespace screenshot
