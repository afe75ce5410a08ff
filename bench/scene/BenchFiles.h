#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <FreeImage.h>
#include <unistd.h>

namespace murk::test {

// A fresh working directory holding this folder's Shader/ and an empty
// Assets/Textures/, made current while it lives, as the game's is.
class TempWorkDir {
public:
    TempWorkDir() {
        namespace fs = std::filesystem;
        previous = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "murk-scene-XXXXXX").string();
        root = mkdtemp(pattern.data());
        fs::copy(fs::path(BENCH_DIR) / "Shader", root / "Shader", fs::copy_options::recursive);
        fs::create_directories(root / "Assets" / "Textures");
        fs::current_path(root);
    }
    ~TempWorkDir() {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    std::filesystem::path root;

private:
    std::filesystem::path previous;
};

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A width x height image of bpp 8 (grey), 24 or 32 bits whose pixel (x, y),
// y counted from the bottom, is colourAt(x, y) = 0xRRGGBBAA.
template <typename ColourAt>
bool writeImage(const std::string& path, FREE_IMAGE_FORMAT type, int width, int height, int bpp,
                ColourAt colourAt) {
    FIBITMAP* image = FreeImage_Allocate(width, height, bpp);
    if (image == nullptr) {
        return false;
    }
    if (bpp == 8) {
        RGBQUAD* palette = FreeImage_GetPalette(image);
        for (int i = 0; i < 256; ++i) {
            const auto level = static_cast<BYTE>(i);
            palette[i] = RGBQUAD{level, level, level, 0};
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colourAt(x, y);
            const auto ux = static_cast<unsigned>(x);
            const auto uy = static_cast<unsigned>(y);
            if (bpp == 8) {
                BYTE grey = static_cast<BYTE>(c >> 24);
                FreeImage_SetPixelIndex(image, ux, uy, &grey);
            } else {
                RGBQUAD q{static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16),
                          static_cast<BYTE>(c >> 24), static_cast<BYTE>(c)};
                FreeImage_SetPixelColor(image, ux, uy, &q);
            }
        }
    }
    const bool saved = FreeImage_Save(type, image, path.c_str(), 0) != 0;
    FreeImage_Unload(image);
    return saved;
}

inline bool writeSolidImage(const std::string& path, FREE_IMAGE_FORMAT type, std::uint32_t rgba) {
    return writeImage(path, type, 4, 4, 24, [rgba](int, int) { return rgba; });
}

}  // namespace murk::test
