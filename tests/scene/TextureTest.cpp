// Textures: where names lead, what fails silently and what is reported,
// what reaches the GPU, and the filter settings.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "scene/Texture.h"
#include "tests/scene/TestFiles.h"
#include "tests/support/GlContext.h"

namespace {

using murk::test::writeImage;
using murk::test::writeSolidImage;

class TextureTest : public ::testing::Test {
protected:
    murk::test::GlContext gl{16, 16};
    murk::test::TempWorkDir dir;

    // Level 0 of the texture as RGB bytes, bottom row first.
    std::vector<std::uint8_t> readBack(const Texture& texture, int width, int height) {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height) * 3);
        glBindTexture(GL_TEXTURE_2D, texture.id);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // Loads and returns what the loader printed.
    std::string loadQuietly(Texture& texture, const std::string& name, bool& loaded) {
        testing::internal::CaptureStdout();
        loaded = texture.load(name, 7, "RGB");
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(TextureTest, PathKeepsOnlyTheBaseName) {
    EXPECT_EQ(texturePath("models/stone/wall.png"), "Assets/Textures/wall.png");
    EXPECT_EQ(texturePath("C:\\art\\stone\\wall.png"), "Assets/Textures/wall.png");
    EXPECT_EQ(texturePath("a\\b/c.jpg"), "Assets/Textures/c.jpg");
    EXPECT_EQ(texturePath("wall.png"), "Assets/Textures/wall.png");
    EXPECT_EQ(texturePath(""), "Assets/Textures/");
}

TEST_F(TextureTest, NamesWithDirectoriesLoadTheBaseNameFromTheTextureFolder) {
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(writeSolidImage("Assets/Textures/wall.png", FIF_PNG, 0x00ff00ffu));
    for (const char* name : {"art/stone/wall.png", "C:\\art\\stone\\wall.png", "wall.png"}) {
        Texture texture;
        bool loaded = false;
        EXPECT_EQ(loadQuietly(texture, name, loaded), "");
        EXPECT_TRUE(loaded) << name;
        EXPECT_EQ(texture.slot, 7);
        ASSERT_NE(texture.id, Texture::noImage);
        EXPECT_EQ(readBack(texture, 4, 4)[1], 255);  // green
    }
}

TEST_F(TextureTest, ContentDecidesTheTypeBeforeTheExtension) {
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(writeSolidImage("Assets/Textures/noextension", FIF_PNG, 0xff0000ffu));
    // A PNG behind a ".jpg" name loads too: the content is asked first.
    ASSERT_TRUE(writeSolidImage("Assets/Textures/really_png.jpg", FIF_PNG, 0x0000ffffu));
    Texture plain;
    Texture misnamed;
    bool loaded = false;
    EXPECT_EQ(loadQuietly(plain, "noextension", loaded), "");
    EXPECT_TRUE(loaded);
    EXPECT_EQ(readBack(plain, 4, 4)[0], 255);
    EXPECT_EQ(loadQuietly(misnamed, "really_png.jpg", loaded), "");
    EXPECT_TRUE(loaded);
    EXPECT_EQ(readBack(misnamed, 4, 4)[2], 255);
}

TEST_F(TextureTest, SilentAndReportedFailures) {
    ASSERT_TRUE(gl.ok());
    murk::test::writeText("Assets/Textures/notes.xyz", "not an image at all");
    murk::test::writeText("Assets/Textures/broken.png", "not an image at all");
    bool loaded = true;

    Texture unknown;
    EXPECT_EQ(loadQuietly(unknown, "notes.xyz", loaded), "");
    EXPECT_FALSE(loaded);
    EXPECT_EQ(unknown.id, Texture::noImage);

    Texture empty;
    EXPECT_EQ(loadQuietly(empty, "", loaded), "");
    EXPECT_FALSE(loaded);

    Texture missing;
    EXPECT_EQ(loadQuietly(missing, "dir\\missing.jpg", loaded),
              "texture not found: Assets/Textures/missing.jpg\n");
    EXPECT_FALSE(loaded);
    EXPECT_EQ(missing.id, Texture::noImage);

    Texture broken;
    EXPECT_EQ(loadQuietly(broken, "broken.png", loaded),
              "texture not found: Assets/Textures/broken.png\n");
    EXPECT_FALSE(loaded);
}

// Odd width so rows need padding; each pixel has its own colour.
std::uint32_t patch(int x, int y) {
    return (static_cast<std::uint32_t>(40 + 70 * x) << 24) |
           (static_cast<std::uint32_t>(30 + 100 * y) << 16) |
           (static_cast<std::uint32_t>(200 - 50 * x) << 8) | 0x80u;
}

TEST_F(TextureTest, EveryPixelLayoutReachesTheGpuAsRgb) {
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(writeImage("Assets/Textures/rgba.png", FIF_PNG, 3, 2, 32, patch));
    ASSERT_TRUE(writeImage("Assets/Textures/rgb.bmp", FIF_BMP, 3, 2, 24, patch));
    for (const char* name : {"rgba.png", "rgb.bmp"}) {
        Texture texture;
        ASSERT_TRUE(texture.load(name, 0, "RGB")) << name;
        const auto pixels = readBack(texture, 3, 2);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                const std::size_t at = static_cast<std::size_t>(y * 3 + x) * 3;
                const std::uint32_t want = patch(x, y);
                EXPECT_EQ(pixels[at], want >> 24) << name << " at " << x << "," << y;
                EXPECT_EQ(pixels[at + 1], (want >> 16) & 0xffu) << name;
                EXPECT_EQ(pixels[at + 2], (want >> 8) & 0xffu) << name;
            }
        }
    }

    ASSERT_TRUE(writeImage("Assets/Textures/grey.png", FIF_PNG, 3, 1, 8,
                           [](int x, int) { return static_cast<std::uint32_t>(60 * x + 10) << 24; }));
    Texture grey;
    ASSERT_TRUE(grey.load("grey.png", 0, "RGB"));
    const auto pixels = readBack(grey, 3, 1);
    EXPECT_EQ(pixels[3], 70);
    EXPECT_EQ(pixels[4], 70);
    EXPECT_EQ(pixels[5], 70);

    // 16 bits of grey per pixel: black and white stay black and white.
    FIBITMAP* deep = FreeImage_AllocateT(FIT_UINT16, 2, 1);
    ASSERT_NE(deep, nullptr);
    auto* row = reinterpret_cast<std::uint16_t*>(FreeImage_GetScanLine(deep, 0));
    row[0] = 0;
    row[1] = 65535;
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, deep, "Assets/Textures/deep.png", 0));
    FreeImage_Unload(deep);
    Texture sixteen;
    ASSERT_TRUE(sixteen.load("deep.png", 0, "RGB"));
    const auto deepPixels = readBack(sixteen, 2, 1);
    EXPECT_EQ(deepPixels[0], 0);
    EXPECT_EQ(deepPixels[3], 255);
    EXPECT_EQ(deepPixels[5], 255);
}

TEST_F(TextureTest, RgbaKeepsAlpha) {
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(writeImage("Assets/Textures/a.png", FIF_PNG, 3, 2, 32, patch));
    Texture texture;
    ASSERT_TRUE(texture.load("a.png", 0, "RGBA"));
    std::vector<std::uint8_t> pixels(3 * 2 * 4);
    glBindTexture(GL_TEXTURE_2D, texture.id);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    EXPECT_EQ(pixels[0], patch(0, 0) >> 24);
    EXPECT_EQ(pixels[3], 0x80);
    GLint internal = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &internal);
    EXPECT_GT(internal, 0);
}

TEST_F(TextureTest, LoadBuildsMipmapsWithTheWorldsStartFilters) {
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(writeImage("Assets/Textures/big.png", FIF_PNG, 8, 8, 24,
                           [](int, int) { return 0x808080ffu; }));
    Texture texture;
    ASSERT_TRUE(texture.load("big.png", 0, "RGB"));
    glBindTexture(GL_TEXTURE_2D, texture.id);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(value, minifyingFilter(2, 1));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 1);  // the 1x1 level exists
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
}

TEST_F(TextureTest, FilterTableReadBack) {
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(writeSolidImage("Assets/Textures/f.png", FIF_PNG, 0x101010ffu));
    Texture texture;
    ASSERT_TRUE(texture.load("f.png", 0, "RGB"));
    struct Row {
        int mipmap, sampling;
        GLint min, mag;
    };
    const Row table[] = {
        {0, 0, GL_NEAREST, GL_NEAREST},
        {0, 1, GL_LINEAR, GL_LINEAR},
        {1, 0, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
        {1, 1, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR},
        {2, 0, GL_LINEAR_MIPMAP_NEAREST, GL_NEAREST},
        {2, 1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {7, 3, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},   // out of range: linear, bilinear
        {-1, -2, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
    };
    glActiveTexture(GL_TEXTURE5);
    for (const Row& row : table) {
        texture.setFilter(row.mipmap, row.sampling);
        GLint unit = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
        EXPECT_EQ(unit, GL_TEXTURE0);
        GLint min = 0;
        GLint mag = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        EXPECT_EQ(min, row.min) << row.mipmap << " " << row.sampling;
        EXPECT_EQ(mag, row.mag) << row.mipmap << " " << row.sampling;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
