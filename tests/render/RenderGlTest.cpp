// The render passes on a real context: shadow moments and their blur, the
// bloom chain, screenshots and the GPU timer. Shaders load from data/.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <FreeImage.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <unistd.h>

#include "render/GpuTimer.h"
#include "render/Light.h"
#include "render/PostProcess.h"
#include "scene/ShaderProgram.h"
#include "render/ShadowMap.h"
#include "render/Screenshot.h"
#include "render/TextRenderer.h"
#include "scene/SceneObject.h"
#include "tests/support/GlContext.h"

namespace {

// The 9-tap blur's weights at offsets 0..4: binomial coefficients of order 12
// without the two outermost each side.
constexpr float kBlur[5] = {924.0f / 4070, 792.0f / 4070, 495.0f / 4070, 220.0f / 4070, 66.0f / 4070};
constexpr float kFar = 20.0f;
constexpr int kWindowWidth = 90, kWindowHeight = 48;  // 90 * 3 bytes: rows need padding

float blurWeight(int offset) { return std::abs(offset) <= 4 ? kBlur[std::abs(offset)] : 0.0f; }

template <class T>
std::vector<T> readTexture(GLuint texture, GLenum format, int channels, int w, int h) {
    std::vector<T> texels(static_cast<std::size_t>(w * h * channels));
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, sizeof(T) == 1 ? GL_UNSIGNED_BYTE : GL_FLOAT, texels.data());
    return texels;
}

class RenderGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() { if (chdir(MURK_DATA_DIR) == 0) gl = new murk::test::GlContext(kWindowWidth, kWindowHeight); }
    static void TearDownTestSuite() { delete gl; }
    void SetUp() override {
        ASSERT_TRUE(gl != nullptr && gl->ok());
        glEnable(GL_DEPTH_TEST);  // as the game's set-up leaves them
        glEnable(GL_CULL_FACE);
    }
    void TearDown() override {
        for (murk::SceneObject* object : objects) delete object;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // A rectangle in its z = 0 plane facing +z, with every attribute a scene mesh has.
    murk::SceneObject* rectangle(glm::vec4 r, const glm::mat4& model, const std::string& name = "varianceShadowMapping") {
        auto* program = programs.emplace_back(std::make_unique<ShaderProgram>("Shader/" + name + ".vert", "Shader/" + name + ".frag")).get();
        auto* o = objects.emplace_back(new murk::SceneObject(model, program, nullptr));
        o->positions = {r.x, r.y, 0, r.z, r.y, 0, r.z, r.w, 0, r.x, r.w, 0};
        o->normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
        o->uvs = {0, 0, 1, 0, 1, 1, 0, 1};
        o->tangents = {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1};
        o->indices = {0, 1, 2, 2, 3, 0};
        o->vertexCount = 4, o->indexCount = 6;
        o->setupBuffers();
        return o;
    }
    // Facing a light at the origin that shines down -z.
    murk::SceneObject* facing(float distance, glm::vec4 r = {-50, -50, 50, 50}, const char* name = "varianceShadowMapping") {
        return rectangle(r, glm::translate(glm::mat4(1), {0, 0, -distance}), name);
    }
    static void expectWindowBound() { GLint f = -1; glGetIntegerv(GL_FRAMEBUFFER_BINDING, &f); EXPECT_EQ(f, 0); }
    std::unique_ptr<Light> light(int w = 64, int h = 64) {
        auto* map = new ShadowMap(w, h, GL_RG32F, GL_RG, GL_FLOAT, 3, "varianceShadowMapping", "gaussian");
        return std::make_unique<Light>(glm::vec3(0), glm::vec3(1), glm::vec3(0, 0, 1), 0.9f, map, 1.0f);
    }
    static glm::vec2 moments(const std::vector<float>& m, int x, int y, int w = 64) { const auto i = std::size_t((y * w + x) * 2); return {m[i], m[i + 1]}; }

    static inline murk::test::GlContext* gl = nullptr;
    std::vector<std::unique_ptr<ShaderProgram>> programs;
    std::vector<murk::SceneObject*> objects;
    const glm::vec3 up{0, 1, 0};
};

TEST_F(RenderGl, ShadowDepthHoldsMomentsOfTheCastersOnly) {
    auto lamp = light();
    // Casters are objects 2 to n - 4, drawn from vertex arrays built for
    // their own programs. The nearer walls (0, 1, the pick-ups) must not cast.
    renderShadowDepth(*lamp, up, {facing(1), facing(1), facing(5, {-50, 0, 0, 50}, "default"), facing(4, {-50, -50, 0, 0}, "energy"),
                                  facing(6, {0, 0, 50, 50}, "rim"), facing(1), facing(1), facing(1)});
    const auto m = readTexture<float>(lamp->shadowMap->momentsTexture, GL_RG, 2, 64, 64);
    expectWindowBound();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    const struct { int x, y; float depth; } rows[] = {  // bottom right: nothing, far; corners: the whole map
        {16, 48, 5 / kFar}, {0, 63, 5 / kFar}, {16, 16, 4 / kFar}, {0, 0, 4 / kFar}, {48, 48, 6 / kFar}, {63, 63, 6 / kFar}, {48, 16, 1.0f}};
    for (const auto& row : rows)
        EXPECT_NEAR(glm::length(moments(m, row.x, row.y) - glm::vec2(row.depth, row.depth * row.depth)), 0.0f, 1e-5f) << row.x << "," << row.y;

    // Turned 60 degrees about y, through the axis at 4: the second moment widens.
    const glm::mat4 slope = glm::rotate(glm::translate(glm::mat4(1), {0, 0, -4}), 1.05f, {0, 1, 0});
    renderShadowDepth(*lamp, up, {facing(1), facing(1), rectangle({-3, -50, 3, 50}, slope), facing(1), facing(1), facing(1)});
    const auto s = readTexture<float>(lamp->shadowMap->momentsTexture, GL_RG, 2, 64, 64);
    const glm::vec2 centre = moments(s, 32, 32);
    EXPECT_NEAR(centre.x, 4 / kFar, 0.01f);
    const float step = moments(s, 33, 32).x - centre.x;  // a quarter of the squared depth change across a texel, give or take
    EXPECT_TRUE(centre.y - centre.x * centre.x > 0.1f * step * step && centre.y - centre.x * centre.x < 1.0f * step * step);
}

TEST_F(RenderGl, ShadowBlurIsNineTapsOneTexelApartClampedAtTheBorder) {
    constexpr int w = 96, h = 48;
    auto lamp = light(w, h);
    std::vector<float> impulses(w * h * 2, 0.0f);
    impulses[(20 * w + 50) * 2] = 1.0f, impulses[(20 * w + 50) * 2 + 1] = 0.5f;
    impulses[0] = 1.0f;  // the corner texel
    glBindTexture(GL_TEXTURE_2D, lamp->shadowMap->momentsTexture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RG, GL_FLOAT, impulses.data());
    lamp->shadowMap->blur();
    expectWindowBound();
    const auto m = readTexture<float>(lamp->shadowMap->momentsTexture, GL_RG, 2, w, h);
    for (int dy = -5; dy <= 5; ++dy)
        for (int dx = -5; dx <= 5; ++dx) {
            const glm::vec2 weight = glm::vec2(1.0f, 0.5f) * blurWeight(dx) * blurWeight(dy);
            EXPECT_NEAR(glm::length(moments(m, 50 + dx, 20 + dy, w) - weight), 0.0f, 2e-4f) << dx << "," << dy;
        }
    // Taps beyond the edge read the edge texel; nothing wraps round.
    const float edge = kBlur[0] + kBlur[1] + kBlur[2] + kBlur[3] + kBlur[4];
    EXPECT_NEAR(moments(m, 0, 0, w).x, edge * edge, 2e-4f);
    EXPECT_TRUE(moments(m, w - 1, 0, w).x == 0.0f && moments(m, 0, h - 1, w).x == 0.0f);
}

TEST_F(RenderGl, BloomSpreadsWhatIsBrightAndAddsItOnTheScene) {
    constexpr int w = 96, h = 48;
    PostProcess bloom(w, h, GL_RGBA8, GL_RGB, GL_UNSIGNED_BYTE, "threshold", "gaussian_bloom", "mix");
    std::vector<unsigned char> scene(w * h * 4, 0);
    const auto fill = [&](int x0, int y0, int x1, int y1, unsigned char value) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) std::fill_n(&scene[static_cast<std::size_t>((y * w + x) * 4)], 3, value);
    };
    fill(10, 0, 11, h, 255);   // a white column
    fill(30, 40, w, 41, 255);  // a white row
    fill(30, 5, 40, 15, 191);  // 0.75: under the threshold
    fill(50, 5, 60, 15, 204);  // 0.8: at it
    fill(70, 5, 80, 15, 237);  // 0.93: partly over it
    glBindTexture(GL_TEXTURE_2D, bloom.getSceneTexture());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, scene.data());
    bloom.run();

    expectWindowBound();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(glm::ivec2(viewport[2], viewport[3]), glm::ivec2(w, h));
    const auto glow = readTexture<unsigned char>(bloom.glowTexture, GL_RGBA, 4, w, h);
    const auto composed = readTexture<unsigned char>(bloom.getComposedTexture(), GL_RGBA, 4, w, h);
    const auto at = [&](const std::vector<unsigned char>& image, int x, int y) { return image[static_cast<std::size_t>((y * w + x) * 4)]; };
    for (int d = -5; d <= 5; ++d) {
        EXPECT_NEAR(at(glow, 10 + d, 24), 255 * blurWeight(d), 2.0f) << "across the column " << d;
        EXPECT_NEAR(at(glow, 80, 40 + d), 255 * blurWeight(d), 2.0f) << "across the row " << d;
    }
    EXPECT_EQ(at(glow, 35, 10) + at(glow, 55, 10), 0);
    EXPECT_NEAR(at(glow, 75, 10), 153, 3);  // 237 * (0.93 - 0.8) / 0.2
    int notTheSum = 0;
    for (std::size_t i = 0; i < scene.size(); ++i)
        notTheSum += i % 4 != 3 && std::abs(composed[i] - std::min(255, scene[i] + glow[i])) > 1;
    EXPECT_EQ(notTheSum, 0);
    // Only colour is shown: where no glow reaches, the scene is copied, alpha and all.
    const auto shown = [&] { return readTexture<unsigned char>(bloom.getComposedTexture(), GL_RGB, 3, w, h); };
    const auto mixed = shown();
    bloom.run(PixelRect{0, 0, w, h}, true);  // glow found tile by tile: the same picture
    EXPECT_TRUE(shown() == mixed);

    // Told where the only bright part is, the chain gives the same picture,
    // with the last frame's glow cleared away.
    fill(10, 0, 11, h, 0);
    fill(30, 40, w, 41, 0);
    fill(66, 20, 70, 24, 255);
    glBindTexture(GL_TEXTURE_2D, bloom.getSceneTexture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, scene.data());
    bloom.run();
    const auto everywhere = shown();
    glBindTexture(GL_TEXTURE_2D, bloom.getSceneTexture());
    std::vector<unsigned char> before(scene.size(), 255);  // a frame that glowed everywhere
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, before.data());
    bloom.run();
    glBindTexture(GL_TEXTURE_2D, bloom.getSceneTexture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, scene.data());
    bloom.run(PixelRect{66, 5, 14, 19});
    EXPECT_TRUE(shown() == everywhere);
    glBindTexture(GL_TEXTURE_2D, bloom.getSceneTexture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, before.data());
    bloom.run();
    glBindTexture(GL_TEXTURE_2D, bloom.getSceneTexture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, scene.data());
    bloom.run(PixelRect{0, 0, w, h}, true);
    EXPECT_TRUE(shown() == everywhere);
    bloom.run(PixelRect{});  // nothing bright: the scene as it is
    EXPECT_EQ(at(readTexture<unsigned char>(bloom.getComposedTexture(), GL_RGBA, 4, w, h), 64, 22), 0);
}

TEST_F(RenderGl, ScreenshotIsUprightRgbAndNeverOverwritesAShot) {
    const struct { unsigned x, y; float r, g, b; } quarters[] =  // from the bottom left as GL counts
        {{0, 0, 0, 0, 1}, {1, 0, 1, 1, 1}, {0, 1, 1, 0, 0}, {1, 1, 0, 1, 0}};
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glEnable(GL_SCISSOR_TEST);
    for (const auto& q : quarters) {
        glScissor(GLint(q.x) * kWindowWidth / 2, GLint(q.y) * kWindowHeight / 2, kWindowWidth / 2, kWindowHeight / 2);
        glClearColor(q.r, q.g, q.b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);

    const auto dir = std::filesystem::temp_directory_path() / ("murk-shots-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "screenshot-1.png") << "taken";
    const std::string path = screenshot::nextFileName(dir.string());
    EXPECT_EQ(path, (dir / "screenshot-2.png").string());
    ASSERT_TRUE(screenshot::saveBackBuffer(path, kWindowWidth, kWindowHeight));
    EXPECT_EQ(std::filesystem::file_size(dir / "screenshot-1.png"), 5u);
    // A name planted as a dangling link is passed over, never written through.
    std::filesystem::create_symlink(dir / "elsewhere.png", dir / "screenshot-3.png");
    EXPECT_EQ(screenshot::nextFileName(dir.string()), (dir / "screenshot-4.png").string());
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.png"));
    EXPECT_EQ(screenshot::nextFileName((dir / "missing").string()), "");
    EXPECT_FALSE(screenshot::saveBackBuffer((dir / "missing" / "x.png").string(), kWindowWidth, kWindowHeight));

    FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str(), PNG_DEFAULT);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(glm::uvec3(FreeImage_GetWidth(image), FreeImage_GetHeight(image), FreeImage_GetBPP(image)),
              glm::uvec3(kWindowWidth, kWindowHeight, 24));
    for (const auto& q : quarters) {  // FreeImage also counts rows from the bottom
        RGBQUAD p{};
        FreeImage_GetPixelColor(image, q.x * kWindowWidth / 2 + 22, q.y * kWindowHeight / 2 + 12, &p);
        EXPECT_EQ(glm::ivec3(p.rgbRed, p.rgbGreen, p.rgbBlue), glm::ivec3(glm::vec3(q.r, q.g, q.b) * 255.0f)) << q.x << q.y;
    }
    FreeImage_Unload(image);
    std::filesystem::remove_all(dir);
}

TEST_F(RenderGl, GpuTimerGivesEachFramesPassesInFrameOrder) {
    GpuTimer timer;
    for (int frame = 0; frame < 5; ++frame, timer.endFrame()) {
        timer.beginFrame(frame);
        for (GpuPass pass : {GpuPass::Scene, GpuPass::Bloom, GpuPass::Scene}) timer.begin(pass), glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    timer.finish();
    ASSERT_EQ(timer.results.size(), 5u);
    for (int frame = 0; frame < 5; ++frame) {
        const auto ms = [&](GpuPass pass) { return timer.results[std::size_t(frame)].ms[std::size_t(pass)]; };
        EXPECT_EQ(timer.results[std::size_t(frame)].frame, frame);
        EXPECT_TRUE(ms(GpuPass::Scene) > 0.0 && ms(GpuPass::Bloom) > 0.0 && ms(GpuPass::Shadow0) + ms(GpuPass::PresentHud) == 0.0) << frame;
    }
}

}  // namespace

// Every glyph of the font's Latin, Greek and Cyrillic, a mark for the rest; a
// long line wraps at the size of a short one and ends in an ellipsis.
TEST_F(RenderGl, TextDrawsTheFontsLettersAndWrapsALongLineReadably) {
    TextRenderer text("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_TRUE(text.ok());
    for (const char32_t c : decodeUtf8("Où suis-je ? « Hilfe » — naïve café. Γειά σου! Привет, мир…"))
        EXPECT_TRUE(text.hasGlyph(c)) << static_cast<unsigned>(c);
    EXPECT_FALSE(text.hasGlyph(U'中'));
    EXPECT_EQ(text.width("中"), text.width("\xEF\xBF\xBD"));
    EXPECT_NE(text.width("é"), text.width("\xEF\xBF\xBD"));
    std::string words;
    while (words.size() < 10012) words += "Hilfe! ";
    const TextRenderer::Layout short_ = text.layout({"Hilfe!"}, 36.0f, 1280);
    const TextRenderer::Layout long_ = text.layout({words, "Hilfe!"}, 36.0f, 1280);
    EXPECT_EQ(long_.scale, short_.scale);
    ASSERT_EQ(long_.rows.size(), TextRenderer::maxRowsPerLine + 1u);
    for (const std::u32string& row : long_.rows) EXPECT_LE(text.width(row) * long_.scale, 0.9f * 1280);
    EXPECT_EQ(long_.rows[0].substr(0, 12), U"Hilfe! Hilfe");
    EXPECT_EQ(long_.rows[2].back(), U'…');
    EXPECT_EQ(long_.rows[3], U"Hilfe!");
    text.drawBottom({words}, kWindowWidth, kWindowHeight);
}
