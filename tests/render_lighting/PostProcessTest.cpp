// The bloom chain: what glows, how far the glow spreads at a non-square
// size, what the mix composes, and the state the chain leaves behind.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "render/PostProcess.h"
#include "tests/render_lighting/LightingTestSupport.h"
#include "tests/support/GlContext.h"

namespace {

using murk::test::kBlurWeights;
using Image = std::vector<std::uint8_t>;  // RGBA, rows bottom-up

class PostProcessTest : public ::testing::Test {
protected:
    // One window for the whole suite: each test makes and frees its own GL objects.
    static void SetUpTestSuite() {
        // The programs load "Shader/..." from the game's working directory.
        ASSERT_EQ(chdir(MURK_DATA_DIR), 0);
        gl = new murk::test::GlContext(64, 64);
    }
    static void TearDownTestSuite() {
        delete gl;
        gl = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(gl != nullptr && gl->ok());
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
    }

    void make(int w, int h) {
        width = w;
        height = h;
        chain = std::make_unique<PostProcess>(w, h, GL_RGBA8, GL_RGB, GL_UNSIGNED_BYTE,
                                              "threshold", "gaussian_bloom", "mix");
    }

    Image blank() const { return Image(static_cast<std::size_t>(width * height * 4), 0); }

    void fill(Image& image, int x0, int y0, int x1, int y1, std::uint8_t value) const {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                std::uint8_t* p = &image[static_cast<std::size_t>((y * width + x) * 4)];
                p[0] = p[1] = p[2] = value;
                p[3] = 255;
            }
        }
    }

    // Stands in for the scene pass: the image goes straight into sceneTexture.
    void runOn(const Image& scene) {
        glBindTexture(GL_TEXTURE_2D, chain->getSceneTexture());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                        scene.data());
        chain->run();
    }

    Image read(GLuint texture) const { return murk::test::readByteTexture(texture, width, height); }

    int at(const Image& image, int x, int y) const {
        return image[static_cast<std::size_t>((y * width + x) * 4)];
    }

    // Every pixel of composed is scene + glow, saturated, in all channels.
    void expectComposedIsSceneplusGlow(const Image& scene) const {
        const Image glow = read(chain->glowTexture);
        const Image composed = read(chain->getComposedTexture());
        int mismatches = 0;
        for (std::size_t i = 0; i < scene.size(); i += 4) {
            for (std::size_t c = 0; c < 3; ++c) {
                const int expected = std::min(255, scene[i + c] + glow[i + c]);
                if (std::abs(composed[i + c] - expected) > 1) {
                    ++mismatches;
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }

    static inline murk::test::GlContext* gl = nullptr;
    std::unique_ptr<PostProcess> chain;
    int width = 0;
    int height = 0;
};

TEST_F(PostProcessTest, TargetsHaveTheFramebufferSizeAndAreComplete) {
    make(80, 48);
    for (GLuint texture : {chain->sceneTexture, chain->glowTexture, chain->blurTexture,
                           chain->composedTexture, chain->sceneDepthTexture}) {
        GLint w = 0;
        GLint h = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, 80);
        EXPECT_EQ(h, 48);
    }
    GLint depthFormat = 0;
    glBindTexture(GL_TEXTURE_2D, chain->sceneDepthTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &depthFormat);
    // 32-bit float depth, with the stencil the scene pass marks lit pixels in.
    EXPECT_EQ(depthFormat, GL_DEPTH32F_STENCIL8);
    for (GLuint framebuffer : {chain->sceneFramebuffer, chain->glowFramebuffer,
                               chain->blurFramebuffer, chain->mixFramebuffer}) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PostProcessTest, WhiteSquareGlowsOnlyAroundItself) {
    make(64, 64);
    Image scene = blank();
    fill(scene, 24, 24, 40, 40, 255);
    runOn(scene);
    const Image glow = read(chain->glowTexture);

    EXPECT_NEAR(at(glow, 32, 32), 255, 2);
    // Row 32 leaving the square's right edge (x = 40 is the first dark pixel).
    float outside = kBlurWeights[1] + kBlurWeights[2] + kBlurWeights[3] + kBlurWeights[4];
    for (int x = 40; x <= 43; ++x) {
        EXPECT_NEAR(at(glow, x, 32), 255.0f * outside, 2.0f) << "x " << x;
        outside -= kBlurWeights[x - 39];
    }
    // Nothing further out than the kernel's four texels.
    int strayGlow = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool nearSquare = x >= 20 && x < 44 && y >= 20 && y < 44;
            if (!nearSquare && at(glow, x, y) > 0) {
                ++strayGlow;
            }
        }
    }
    EXPECT_EQ(strayGlow, 0);
    expectComposedIsSceneplusGlow(scene);
}

TEST_F(PostProcessTest, OnlyPartsBrighterThanTheThresholdGlow) {
    make(64, 64);
    Image scene = blank();
    fill(scene, 4, 4, 16, 16, 191);    // 0.75: below the threshold
    fill(scene, 4, 40, 16, 52, 204);   // 0.8: at it
    fill(scene, 40, 4, 52, 16, 237);   // 0.93: partly above it
    fill(scene, 40, 40, 52, 52, 255);  // white
    runOn(scene);
    const Image glow = read(chain->glowTexture);
    const Image composed = read(chain->getComposedTexture());

    EXPECT_EQ(at(glow, 10, 10), 0);
    EXPECT_EQ(at(glow, 10, 46), 0);
    EXPECT_EQ(at(glow, 2, 10), 0);
    EXPECT_EQ(at(composed, 10, 10), 191);
    EXPECT_EQ(at(composed, 10, 46), 204);
    EXPECT_GT(at(glow, 46, 10), 40);
    EXPECT_LT(at(glow, 46, 10), 200);
    EXPECT_GT(at(glow, 46, 46), at(glow, 46, 10));
    // The brighter square glows brighter just outside it, too.
    EXPECT_GT(at(glow, 53, 46), at(glow, 53, 10));
    EXPECT_GT(at(glow, 53, 10), 0);
    expectComposedIsSceneplusGlow(scene);
}

TEST_F(PostProcessTest, DarkScenePassesThroughUnchanged) {
    make(64, 64);
    Image scene = blank();
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            std::uint8_t* p = &scene[static_cast<std::size_t>((y * 64 + x) * 4)];
            p[0] = static_cast<std::uint8_t>(x * 3);
            p[1] = static_cast<std::uint8_t>(y * 3);
            p[2] = static_cast<std::uint8_t>((x + y) % 200);
            p[3] = 255;
        }
    }
    runOn(scene);
    const Image glow = read(chain->glowTexture);
    const Image composed = read(chain->getComposedTexture());
    int changed = 0;
    for (std::size_t i = 0; i < scene.size(); i += 4) {
        for (std::size_t c = 0; c < 3; ++c) {
            changed += glow[i + c] != 0;
            changed += std::abs(composed[i + c] - scene[i + c]) > 1;
        }
    }
    EXPECT_EQ(changed, 0);
}

TEST_F(PostProcessTest, BlurStepIsOneTexelAt1280x720AndStateIsHandedBack) {
    make(1280, 720);
    Image scene = blank();
    fill(scene, 300, 0, 301, 720, 255);     // a one-pixel column
    fill(scene, 700, 500, 1280, 501, 255);  // a one-pixel row
    glActiveTexture(GL_TEXTURE3);
    runOn(scene);

    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1280);
    EXPECT_EQ(viewport[3], 720);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const Image glow = read(chain->glowTexture);
    for (int d = -5; d <= 5; ++d) {
        const float weight = std::abs(d) <= 4 ? kBlurWeights[std::abs(d)] : 0.0f;
        EXPECT_NEAR(at(glow, 300 + d, 200), 255.0f * weight, 2.0f) << "across the column " << d;
        EXPECT_NEAR(at(glow, 1000, 500 + d), 255.0f * weight, 2.0f) << "across the row " << d;
    }
    expectComposedIsSceneplusGlow(scene);
}

}  // namespace
