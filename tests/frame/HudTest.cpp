#include <array>
#include <cstdio>
#include <unistd.h>

#include <FreeImage.h>
#include <gtest/gtest.h>

#include "platform/ScriptedInput.h"
#include "render/FrameRenderer.h"
#include "render/Hud.h"
#include "render/Screenshot.h"
#include "render/ShaderProgram.h"
#include "scene/Material.h"
#include "scene/Texture.h"
#include "tests/frame/FrameTestScene.h"

using namespace frametest;

namespace {

constexpr int hudWidth = 320;
constexpr int hudHeight = 180;

using Rgb = std::array<int, 3>;

Rgb pixel(int x, int y) {
    unsigned char p[4] = {};
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

Owned<Texture> solidTexture(unsigned char r, unsigned char g, unsigned char b) {
    Owned<Texture> texture = makeOwned<Texture>();
    const unsigned char texel[4] = {r, g, b, 255};
    glGenTextures(1, &texture->id);
    glBindTexture(GL_TEXTURE_2D, texture->id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

float hudUniform(const GameContext& c, const char* name) {
    float value = -1.0f;
    const GLuint program = c.hudQuad->shader->program;
    glGetUniformfv(program, glGetUniformLocation(program, name), &value);
    return value;
}

}  // namespace

class Presentation : public ::testing::Test {
protected:
    void SetUp() override {
        if (!game.gl.ok()) GTEST_SKIP() << "no GL context";
        GameContext& c = game.context;
        // Screens in flat colours, so the window tells which one is up.
        c.startScreen = solidTexture(200, 0, 0);
        c.endScreen = solidTexture(0, 200, 0);
        c.helpScreen = solidTexture(0, 0, 200);
        c.wonScreen = solidTexture(200, 200, 0);
        c.frustum.update(c.camera.position, c.camera.position + c.camera.direction, c.camera.up);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    Rgb frame() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderFrame(game.context, game.assets.plainTexture);
        return pixel(hudWidth / 2, hudHeight / 2);
    }

    ScratchDir dir;
    TestGame game{(dir.path / "none.txt").string(), true, hudWidth, hudHeight};
};

TEST_F(Presentation, TheWindowShowsTheChosenScreen) {
    GameContext& c = game.context;
    EXPECT_EQ(frame(), (Rgb{200, 0, 0}));  // title
    c.helpShown = true;
    EXPECT_EQ(frame(), (Rgb{0, 0, 200}));
    c.helpShown = false;
    c.hasPlayed = true;
    EXPECT_EQ(frame(), (Rgb{0, 200, 0}));  // lost
    c.camera.playing = true;
    c.won = true;
    EXPECT_EQ(frame(), (Rgb{200, 200, 0}));  // won, although still playing
    c.won = false;
    EXPECT_EQ(frame(), (Rgb{0, 0, 0}));  // the (empty, dark) level
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Presentation, HudMetersAtFullFearAndNoEnergy) {
    GameContext& c = game.context;
    c.camera.playing = true;
    c.camera.fear = 100.0f;
    c.camera.energy = 0.0f;
    frame();
    EXPECT_FLOAT_EQ(hudUniform(c, "fear"), 1.0f);
    EXPECT_FLOAT_EQ(hudUniform(c, "energy"), 0.0f);
    GLint unit = -1;
    glGetUniformiv(c.hudQuad->shader->program, glGetUniformLocation(c.hudQuad->shader->program, "hudTexture"),
                   &unit);
    EXPECT_EQ(unit, 6);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    // Trough centres (window fractions from the bottom left, as in hud.frag);
    // the empty part shows hud.png's dark trough.
    const int x = static_cast<int>(0.16f * hudWidth);
    const int fearRow = static_cast<int>(0.075f * hudHeight);
    const int energyRow = static_cast<int>(0.1194f * hudHeight);
    const Rgb fear = pixel(x, fearRow);
    const Rgb energy = pixel(x, energyRow);
    EXPECT_GT(fear[0], 100);
    EXPECT_GT(fear[0], 3 * fear[1]);
    for (const int channel : energy) EXPECT_LT(channel, 40);

    c.camera.fear = 0.0f;
    c.camera.energy = 100.0f;
    frame();
    const Rgb fearEmpty = pixel(x, fearRow);
    const Rgb energyFull = pixel(x, energyRow);
    for (const int channel : fearEmpty) EXPECT_LT(channel, 40);
    EXPECT_GT(energyFull[1], 80);
    EXPECT_GT(energyFull[1], energyFull[2]);
}

TEST_F(Presentation, HudKeepsOnlyItsOwnPixelsAndIsNotDrawnInMenus) {
    GameContext& c = game.context;
    c.camera.playing = true;
    c.camera.fear = 50.0f;
    // The scene pass clears to this colour, so the level shows it everywhere.
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    const Owned<Texture> blackHud = solidTexture(0, 0, 0);
    const Owned<Texture> greyHud = solidTexture(90, 90, 90);
    c.hudMaterial->diffuseTexture = blackHud.get();
    const Rgb scene = frame();
    EXPECT_NEAR(scene[0], 51, 2);
    EXPECT_NEAR(scene[1], 102, 2);
    EXPECT_NEAR(scene[2], 153, 2);
    c.hudMaterial->diffuseTexture = greyHud.get();
    EXPECT_EQ(frame(), (Rgb{90, 90, 90}));
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);

    // In a menu the meters are gone: the title colour reaches the corner.
    c.camera.playing = false;
    c.startScreen = solidTexture(10, 90, 170);
    frame();
    EXPECT_EQ(pixel(static_cast<int>(0.16f * hudWidth), static_cast<int>(0.075f * hudHeight)), (Rgb{10, 90, 170}));
    EXPECT_EQ(hudValues(100.0f, 0.0f).fear, 1.0f);
    EXPECT_EQ(hudValues(100.0f, 0.0f).energy, 0.0f);
    c.hudMaterial->diffuseTexture = nullptr;
}

TEST_F(Presentation, ScreenshotSavesThePresentedFrameUpright) {
    GameContext& c = game.context;
    // Top half from the title colour, bottom half cleared blue afterwards.
    c.startScreen = solidTexture(220, 30, 30);
    frame();
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, hudWidth, hudHeight / 2);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);

    const std::string path = (dir.path / "shot.png").string();
    ASSERT_TRUE(screenshot::saveBackBuffer(path, hudWidth, hudHeight));
    FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str(), PNG_DEFAULT);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(image), static_cast<unsigned>(hudWidth));
    EXPECT_EQ(FreeImage_GetHeight(image), static_cast<unsigned>(hudHeight));
    EXPECT_EQ(FreeImage_GetBPP(image), 24u);
    RGBQUAD top{};
    RGBQUAD bottom{};
    // FreeImage counts rows from the bottom of the picture.
    FreeImage_GetPixelColor(image, 3, static_cast<unsigned>(hudHeight - 1), &top);
    FreeImage_GetPixelColor(image, 3, 0, &bottom);
    FreeImage_Unload(image);
    EXPECT_EQ(top.rgbRed, 220);
    EXPECT_EQ(top.rgbGreen, 30);
    EXPECT_EQ(bottom.rgbBlue, 255);
    EXPECT_EQ(bottom.rgbRed, 0);
}

TEST_F(Presentation, F12SavesNumberedShotsOnRelease) {
    char previous[4096] = {};
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    writeFile(dir.path / "screenshot-1.png", "taken");  // an earlier shot is kept

    ScriptedInput input;
    ScreenshotKey key;
    frame();
    input.press(screenshot::key);
    EXPECT_EQ(key.poll(input, hudWidth, hudHeight), "");  // held: nothing yet
    input.release(screenshot::key);
    const std::string first = key.poll(input, hudWidth, hudHeight);
    EXPECT_EQ(key.poll(input, hudWidth, hudHeight), "");  // once per press
    input.tap(screenshot::key);
    const std::string second = key.poll(input, hudWidth, hudHeight);
    EXPECT_EQ(chdir(previous), 0);

    EXPECT_EQ(first, "screenshot-2.png");
    EXPECT_EQ(second, "screenshot-3.png");
    EXPECT_GT(std::filesystem::file_size(dir.path / "screenshot-2.png"), 100u);
    EXPECT_EQ(std::filesystem::file_size(dir.path / "screenshot-1.png"), 5u);
    EXPECT_EQ(screenshot::nextFileName(dir.path.string()), (dir.path / "screenshot-4.png").string());
}

TEST(HudArea, NonBlackTexelsAndTheTroughsWithATexelToSpare) {
    constexpr int w = 100;
    constexpr int h = 50;
    std::vector<unsigned char> rgb(w * h * 3, 0);
    // Black all over: only the troughs, which the meters fill.
    const glm::vec4 troughs = hudArea(rgb, w, h);
    EXPECT_FLOAT_EQ(troughs.x, 0.0625f);
    EXPECT_FLOAT_EQ(troughs.w, 0.127778f);
    // One dim texel far up and right (row 40 from the bottom) widens it to
    // that texel and one more each way.
    rgb[(40 * w + 90) * 3 + 2] = 1;
    const glm::vec4 area = hudArea(rgb, w, h);
    EXPECT_FLOAT_EQ(area.x, 0.0625f);
    EXPECT_FLOAT_EQ(area.z, 92.0f / w);
    EXPECT_FLOAT_EQ(area.w, 42.0f / h);
    rgb[0] = 255;  // the bottom-left corner texel: clamped to the window
    EXPECT_EQ(hudArea(rgb, w, h).x, 0.0f);
    EXPECT_EQ(hudArea(rgb, w, h).y, 0.0f);
    // No image, or too few bytes for its size: the whole window.
    EXPECT_EQ(hudArea({}, 0, 0), glm::vec4(0.0f, 0.0f, 1.0f, 1.0f));
    EXPECT_EQ(hudArea(rgb, w, h + 1), glm::vec4(0.0f, 0.0f, 1.0f, 1.0f));
}
