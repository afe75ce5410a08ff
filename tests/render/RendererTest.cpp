// The renderer's frame: which objects each pass draws and how, shortcuts that
// change no pixel, and what the window shows in play and in the menus.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <FreeImage.h>

#include <gtest/gtest.h>

#include "app/CarriedObjects.h"
#include "app/Frame.h"
#include "app/GameRules.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"
#include "render/TextRenderer.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "scene/ShaderProgram.h"
#include "tests/support/TestGame.h"

using murk::test::holding;
using murk::test::TestGame;

namespace {

// Each draw with the GL state that decides how it lands.
struct Draw { std::size_t index; bool toShadowMap, colour, cullFace, blend, depthWrites, filled; PixelRect scissor; };

class Probe : public murk::SceneObject {
public:
    static constexpr int shadowMapSize = 64;
    Probe(std::size_t i, ShaderProgram* program, Material* m, std::vector<Draw>& log)
        : SceneObject(glm::mat4(1.0f), program, m), index(i), draws(log) {}
    void draw() override {
        GLint viewport[4] = {}, mode[2] = {}, box[4] = {};
        GLboolean mask[4] = {}, depthMask = GL_FALSE;
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_POLYGON_MODE, mode);
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
        glGetIntegerv(GL_SCISSOR_BOX, box);
        const PixelRect scissor = glIsEnabled(GL_SCISSOR_TEST) ? PixelRect{box[0], box[1], box[2], box[3]} : PixelRect{0, 0, 1 << 20, 1 << 20};
        draws.push_back({index, viewport[2] == shadowMapSize, mask[0] == GL_TRUE, glIsEnabled(GL_CULL_FACE) == GL_TRUE,
                         glIsEnabled(GL_BLEND) == GL_TRUE, depthMask == GL_TRUE, mode[0] == GL_FILL, scissor});
    }
    std::size_t index;
    std::vector<Draw>& draws;
};

std::vector<std::size_t> indices(const std::vector<Draw>& draws, bool shadow, bool colour = true) {
    std::vector<std::size_t> out;
    for (const Draw& d : draws)
        if (d.toShadowMap == shadow && (shadow || d.colour == colour)) out.push_back(d.index);
    return out;
}

TEST(RendererPasses, ObjectRolesDecideWhatEachPassDraws) {
    TestGame game;
    if (!game.ok()) GTEST_SKIP() << "no display or GL context";
    ShaderProgram program("Shader/default.vert", "Shader/default.frag");
    Material opaque, translucent;
    translucent.opacity = 0.5f;
    std::vector<Draw> draws;
    std::vector<std::unique_ptr<Probe>> owned;
    std::vector<murk::SceneObject*> objects;
    for (std::size_t i = 0; i < 10; ++i) {  // before the eye but 3 and 5; 2 translucent
        auto* p = owned.emplace_back(std::make_unique<Probe>(i, &program, i == 2 ? &translucent : &opaque, draws)).get();
        const float z = (i == 3 || i == 5) ? -5.0f : 3.0f;
        std::tie(p->minX, p->maxX, p->minY, p->maxY, p->minZ, p->maxZ) = std::tuple(-0.5f, 0.5f, -0.5f, 0.5f, z - 0.5f, z + 0.5f);
        objects.push_back(p);
    }
    RendererSetup setup;
    std::tie(setup.width, setup.height, setup.shadowMapSize) = std::tuple(game.game().settings.width, game.game().settings.height, Probe::shadowMapSize);
    Renderer renderer(objects, setup);
    FrameView v = frameView(game.game());  // from the origin along +z
    std::tie(v.eye, v.direction, v.up) = std::tuple(glm::vec3(0), glm::vec3(0, 0, 1), glm::vec3(0, 1, 0));
    Frustum frustum = game.game().frustum;
    frustum.update(v.eye, v.direction, v.up);
    v.frustum = &frustum, v.objects = &objects, v.screen.playing = true;
    // Both lights on the probes, or their shadow maps are left out; one draw per object.
    v.flashlight = SpotLight{glm::vec3(0), {0, 0, -1}, 0.95f, 1.0f, v.up};
    v.lamp = SpotLight{{0, 5, 3}, {0, 1, 0}, 0.85f, 1.0f, {1, 0, 0}};
    renderer.setShortcuts({true, true, true, false, true, false});  // probes lay no depth to hide behind
    renderer.draw(v);
    // Shadows: casters 2 to n - 4 for each light, culled or not.
    EXPECT_EQ(indices(draws, true), (std::vector<std::size_t>{2, 3, 4, 5, 6, 2, 3, 4, 5, 6}));
    // Scene: object 0 never, 5 culled (3 is never culled), the pick-ups last.
    EXPECT_EQ(indices(draws, false), (std::vector<std::size_t>{1, 2, 3, 4, 6, 7, 8, 9}));
    EXPECT_EQ(indices(draws, false, false), (std::vector<std::size_t>{2, 3, 4, 6}));  // depth first
    for (const Draw& d : draws)  // only the last before the pick-ups is two-sided
        EXPECT_TRUE(d.toShadowMap || !d.colour || (d.cullFace == (d.index != 6) && !d.blend)) << d.index;
    EXPECT_EQ(renderer.drawCounts().objects, 8u);

    // Culling off draws 5; transparency defers the translucent object to a
    // blended pass without depth writes.
    draws.clear();
    frustum.enabled = false;
    v.transparency = true;
    renderer.draw(v);
    EXPECT_EQ(indices(draws, false), (std::vector<std::size_t>{1, 3, 4, 5, 6, 7, 8, 9, 2}));
    EXPECT_TRUE(draws.back().blend && !draws.back().depthWrites && !draws.back().cullFace);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    // Wireframe draws the scene in lines, but the shadow maps stay filled.
    draws.clear();
    v.wireframe = true;
    renderer.draw(v);
    for (const Draw& d : draws) EXPECT_EQ(d.filled, d.toShadowMap) << d.index;
    EXPECT_EQ(indices(draws, false, false), std::vector<std::size_t>{}) << "no depth pass in wireframe";

    // Lit by screen area: probe 4 becomes a room round the eye, and a narrow
    // cone from beside the eye crosses the view, so its picture is as wide as
    // the view but not as tall. The rows above and below it are left to the
    // draw without the torch (the lamp is off).
    std::tie(owned[4]->minX, owned[4]->maxX, owned[4]->minY, owned[4]->maxY, owned[4]->minZ, owned[4]->maxZ) = std::tuple(-50.0f, 50.0f, -50.0f, 50.0f, -1.0f, 50.0f);
    v.wireframe = v.transparency = false;
    v.flashlight = SpotLight{{2, 0, 1}, {0.866f, 0, -0.5f}, 0.99f, 1.0f, v.up};
    v.lamp.intensity = 0.0f;
    renderer.setShortcuts({});
    draws.clear();
    renderer.draw(v);
    std::vector<PixelRect> room;
    for (const Draw& d : draws)
        if (d.index == 4 && d.colour && !d.toShadowMap) room.push_back(d.scissor);
    ASSERT_EQ(room.size(), 2u);
    EXPECT_TRUE(room[0].x == 0 && room[0].width == setup.width && room[0].y > 0 && room[0].y + room[0].height < setup.height);
    EXPECT_TRUE(room[1].covers(setup.width, setup.height)) << room[1].width << " x " << room[1].height;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Puts the player at eye looking along yaw and pitch, the torch in hand.
void aim(GameContext& c, glm::vec3 eye, float yaw, float pitch, float cutOff, float intensity) {
    c.camera.position = eye;
    c.camera.horizontalAngle = yaw;
    c.camera.verticalAngle = pitch;
    c.camera.updateVectors();
    const auto light = rules::placeFlashlight(c.camera.position, c.camera.direction, c.camera.right, c.camera.up);
    c.flashlight = SpotLight{light.position, light.direction, cutOff, intensity, c.camera.up};
    c.frustum.update(c.camera.position, c.camera.position + c.camera.direction, c.camera.up);
}

// The shortcuts must change no pixel of the real level: at the start, the
// lamp's corner, the stage, a wall before the pad's widest cone, the stage
// with the translucent pass, the start in wireframe, and the kitchen door's
// pale frame in the beam, where the bloom has something to spread.
TEST(RealLevelShortcuts, LeaveEveryPixelAsTheFullWorkDrawsIt) {
    TestGame test(murk::test::TestGameOptions{320, 180, 512, "SCENE.txt"});
    if (!test.ok()) GTEST_SKIP() << "no display or GL context";
    GameContext& c = test.game();
    struct Pose { glm::vec3 eye; float yaw, pitch, cutOff; bool transparency = false, wireframe = false; float ambient = 0.0f; };
    const Pose poses[] = {
        {{2.92f, 1.2f, 0.262f}, -2.57f, -0.5f, 0.95f},         {{-2.3f, 1.2f, -4.9f}, -2.4f, 0.15f, 0.99f},
        {{0.5f, 1.2f, 6.0f}, -1.5708f, -0.15f, 0.95f},         {{2.92f, 1.2f, 0.262f}, 0.6f, 0.0f, 0.94f},
        {{0.5f, 1.2f, 6.0f}, -1.5708f, -0.15f, 0.95f, true},   {{2.92f, 1.2f, 0.262f}, -2.57f, -0.5f, 0.95f, false, true},
        {{3.5f, 1.2f, -0.6f}, 3.14159f, 0.0f, 0.95f},
        {{-2.3f, 1.2f, -4.9f}, -2.4f, 0.15f, 0.99f, false, false, 3.0f}};  // an ambient past the roll-off's shoulder
    c.camera.playing = true;
    c.camera.lightIntensity = 0.8f;
    for (const Pose& pose : poses) {
        aim(c, pose.eye, pose.yaw, pose.pitch, pose.cutOff, 1.0f);
        // The lamp swings a little between poses, so its map is never right by chance.
        c.lamp.direction = glm::normalize(glm::vec3(0.03f * float(&pose - poses), 1.0f, 0.0f));
        std::tie(c.transparency, c.wireframe) = std::pair(pose.transparency, pose.wireframe);
        const float ambient = std::exchange(c.settings.ambient, pose.ambient > 0.0f ? pose.ambient : c.settings.ambient);
        const auto drawn = [&](FrameShortcuts shortcuts) { c.renderer->setShortcuts(shortcuts); c.renderer->draw(frameView(c)); return test.pixels(); };
        // With the shortcuts first: a shadow map wrongly left over from the
        // last pose would show.
        const std::vector<unsigned char> quick = drawn({});
        const std::vector<unsigned char> full = drawn({false, false, false, false, false, false});
        EXPECT_TRUE(full == quick) << "eye " << pose.eye.x << ", " << pose.eye.z;
        // The pose must show something lit, or the comparison proves little.
        EXPECT_GT(*std::max_element(full.begin(), full.end()), 100);
        c.settings.ambient = ambient;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The lamps over the way out shine by themselves: seen from points of the
// way with the torch off, each stands clearly out of the dark round it. The
// eyes and cues are those of tools/level/layout.py.
TEST(RealLevelCues, ShineWithTheTorchOff) {
    TestGame test(murk::test::TestGameOptions{192, 108, 256, "SCENE.txt"});
    if (!test.ok()) GTEST_SKIP() << "no display or GL context";
    GameContext& c = test.game();
    c.camera.playing = true;
    c.camera.lightIntensity = 0.2f;
    const std::pair<glm::vec3, glm::vec3> sights[] = {
        {{2.92f, 1.2f, 0.262f}, {2.75f, 1.75f, -2.345f}}, {{2.7f, 1.2f, -7.0f}, {2.05f, 1.65f, -10.945f}},
        {{-7.4f, 1.2f, -12.8f}, {-7.22f, 2.3f, -6.2f}},   {{-6.6f, 1.2f, -6.2f}, {-6.0f, 2.35f, -4.67f}},
        {{-6.2f, 1.2f, -3.5f}, {-5.75f, 2.32f, 3.13f}},   {{-2.0f, 1.2f, 4.0f}, {-0.3f, 1.15f, 4.85f}},
        {{1.9f, 2.2f, 6.5f}, {-3.5f, 3.42f, 8.52f}},      {{-5.6f, 1.45f, -12.6f}, {-6.795f, 1.6f, -13.45f}},
        {{-0.88f, 0.6f, 6.98f}, {2.0f, 1.75f, 8.545f}},   {{1.12f, 1.2f, -11.6f}, {0.0f, 1.15f, -11.45f}}};
    const auto luminance = [](const std::vector<unsigned char>& p, int x, int y) {
        const std::size_t i = 3 * std::size_t(y * 192 + x);
        return 0.2126 * p[i] + 0.7152 * p[i + 1] + 0.0722 * p[i + 2];
    };
    for (const auto& [eye, cue] : sights) {
        const glm::vec3 d = cue - eye;
        aim(c, eye, std::atan2(d.x, d.z), std::atan2(d.y, std::hypot(d.x, d.z)), 0.95f, 0.0f);
        c.renderer->draw(frameView(c));
        const std::vector<unsigned char> p = test.pixels();
        // The cue fills the middle of the view; the ring round it is the dark.
        double middle = 0.0, ring = 0.0;
        int inRing = 0;
        for (int y = 54 - 24; y <= 54 + 24; ++y)
            for (int x = 96 - 24; x <= 96 + 24; ++x) {
                const int r2 = (x - 96) * (x - 96) + (y - 54) * (y - 54);
                if (r2 <= 2) middle = std::max(middle, luminance(p, x, y));
                if (r2 >= 16 * 16 && r2 <= 24 * 24) ring += luminance(p, x, y), ++inRing;
            }
        EXPECT_GT(middle, ring / inRing + 60.0) << "cue at " << cue.x << ", " << cue.y << ", " << cue.z;
    }
}

// A render scale below 1 draws the scene smaller and fills the window with
// it filtered up: the same picture, a little softer.
// At 1 the shortcut test above and the kept pictures hold it byte for byte.
TEST(RealLevelScale, HalfTheSizeFilledUpLooksLikeTheWholePicture) {
    TestGame test(murk::test::TestGameOptions{320, 180, 256, "SCENE.txt"});
    if (!test.ok()) GTEST_SKIP() << "no display or GL context";
    GameContext& c = test.game();
    test.startPlaying();
    aim(c, {3.5f, 1.2f, -0.6f}, 3.14159f, 0.0f, 0.95f, 1.0f);  // the kitchen door's frame in the beam
    const auto drawn = [&](float scale, float brightness) {
        std::tie(c.settings.renderScale, c.settings.brightness) = std::pair(scale, brightness);
        c.renderer->draw(frameView(c));
        return test.pixels();
    };
    const auto meanDifference = [](const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
        double sum = 0.0;
        for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
        return sum / double(a.size());
    };
    for (const float brightness : {1.0f, 1.6f}) {
        const std::vector<unsigned char> whole = drawn(1.0f, brightness), half = drawn(0.5f, brightness);
        EXPECT_NE(whole, half);
        EXPECT_LT(meanDifference(whole, half), 3.0) << brightness;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// RGB rows from the bottom, as GL reads them; empty when there is no file.
std::vector<unsigned char> readPng(const std::string& path, int width, int height) {
    FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str(), PNG_DEFAULT);
    std::vector<unsigned char> rgb;
    if (image && int(FreeImage_GetWidth(image)) == width && int(FreeImage_GetHeight(image)) == height && FreeImage_GetBPP(image) == 24)
        for (int y = 0; y < height; ++y)
            for (const BYTE* p = FreeImage_GetScanLine(image, y); p < FreeImage_GetScanLine(image, y) + 3 * width; p += 3)
                rgb.insert(rgb.end(), {p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]});
    FreeImage_Unload(image);
    return rgb;
}

// The lit level from four places, against pictures kept in tests/render/look
// (Mesa's llvmpipe). Any change to the shaders, the lights or the passes
// shows here; after a deliberate one, run with MURK_UPDATE_LOOK=1 and look
// at the new pictures before committing them.
TEST(RealLevelLook, MatchesTheKeptPictures) {
    TestGame test(murk::test::TestGameOptions{192, 108, 256, "SCENE.txt"});
    if (!test.ok()) GTEST_SKIP() << "no display or GL context";
    GameContext& c = test.game();
    struct Pose { const char* name; glm::vec3 eye; float yaw, pitch; bool light; };
    const Pose poses[] = {{"start", {2.92f, 1.2f, 0.262f}, -2.57f, -0.5f, true}, {"lamp", {-2.3f, 1.2f, -4.9f}, -2.4f, 0.15f, false},
                          {"stage", {0.5f, 1.2f, 6.0f}, -1.5708f, -0.15f, true}, {"carried", {2.92f, 1.2f, 0.262f}, 0.6f, 0.0f, true}};
    const bool update = std::getenv("MURK_UPDATE_LOOK") != nullptr;
    const std::string folder = std::string(MURK_SOURCE_DIR) + "/tests/render/look/";
    test.startPlaying();
    for (const Pose& pose : poses) {
        aim(c, pose.eye, pose.yaw, pose.pitch, 0.95f, pose.light ? 1.0f : 0.0f);
        std::tie(c.camera.fear, c.camera.energy, c.camera.lightIntensity) = std::tuple(35.0f, 70.0f, pose.light ? 0.7f : 0.2f);
        c.lampSwing = rules::swingLamp(1.0);
        c.lamp.direction = c.lampSwing.lampDirection;
        c.lampUp = c.lampSwing.lampUp;
        c.collectedPickups = std::string(pose.name) == "carried" ? std::vector<int>{0, 1, 2} : std::vector<int>{};
        holdCarriedObjects(c);
        c.renderer->draw(frameView(c));
        const std::string path = folder + pose.name + ".png";
        if (update) {
            std::filesystem::create_directories(folder);
            ASSERT_TRUE(screenshot::saveBackBuffer(path, 192, 108));
            continue;
        }
        const std::vector<unsigned char> kept = readPng(path, 192, 108);
        ASSERT_FALSE(kept.empty()) << "no picture " << path << " (MURK_UPDATE_LOOK=1 makes it)";
        const std::vector<unsigned char> now = test.pixels();
        int largest = 0;
        double sum = 0.0;
        for (std::size_t i = 0; i < kept.size(); ++i)
            largest = std::max(largest, std::abs(int(kept[i]) - int(now[i]))), sum += std::abs(int(kept[i]) - int(now[i]));
        EXPECT_LE(sum / static_cast<double>(kept.size()), 0.5) << pose.name;
        EXPECT_LE(largest, 24) << pose.name;
    }
}

TEST(Window, ShowsTheTitleThenThePlayWithItsMetersThenTheEndScreen) {
    TestGame test;
    if (!test.ok()) GTEST_SKIP() << "no display or GL context";
    GameContext& c = test.game();
    const int w = c.settings.width, h = c.settings.height;
    const auto hudCorner = [&] {  // mean brightness of the lower left, where the HUD sits
        const auto rgb = test.pixels();
        double sum = 0.0;
        for (std::size_t y = 0; y < std::size_t(h / 4); ++y) sum += std::accumulate(&rgb[y * w * 3], &rgb[(y * w + w / 3) * 3], 0.0);
        return sum / (h / 4 * (w / 3) * 3);
    };
    test.frame(holding({}, c));
    const std::vector<unsigned char> title = test.pixels();
    test.frame(holding({Key::Space}, c));
    c.camera.energy = 100.0f;
    test.frame(holding({}, c), 0.001);
    const double fullMeters = hudCorner();
    c.camera.energy = 0.0f;
    test.frame(holding({}, c), 0.001);
    EXPECT_GT(fullMeters, hudCorner() + 1.0) << "the energy meter shows on the HUD";
    c.camera.fear = 100.0f;
    test.frame(holding({}, c));
    test.frame(holding({}, c));
    const std::vector<unsigned char> end = test.pixels();
    EXPECT_TRUE(title != end && *std::max_element(end.begin(), end.end()) > 100) << "the end screen is not the title screen";

    // The renderer writes what the view asks for over the end screen: the
    // subtitle at the bottom centre, the pause menu's title in the middle
    // (its dimming is left out here: the text alone is compared).
    FrameView view = frameView(c);
    view.subtitles = {"Where... where am I?"};
    view.menu.kind = MenuView::Kind::Pause;
    view.menu.title = "Paused";
    c.renderer->draw(view);
    std::vector<unsigned char> written = test.pixels();
    view.menu.kind = MenuView::Kind::None;
    c.renderer->draw(view);
    const std::vector<unsigned char> unpaused = test.pixels();
    for (std::size_t i = 0; i < written.size(); ++i)  // where only the dimming differs, as without the menu
        if (std::abs(written[i] - unpaused[i] * 0.4) < 2.0) written[i] = unpaused[i];
    // On a plain grey: a dim band with light letters, nothing outside it.
    TextRenderer text("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_TRUE(text.ok());
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    text.drawBottom({"Where... where am I?"}, w, h);
    text.drawCentre("Paused", w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    const std::vector<unsigned char> grey = test.pixels();
    struct Area { const char* what; int x0, x1, y0, y1; bool written; };
    const Area areas[] = {{"subtitle", w / 3, 2 * w / 3, 0, h / 4, true}, {"pause word", 2 * w / 5, 3 * w / 5, 2 * h / 5, 3 * h / 5, true},
                          {"left edge", 0, w / 20, 0, h, false}, {"top", 0, w, 4 * h / 5, h, false}};
    for (const Area& area : areas) {
        SCOPED_TRACE(area.what);
        int differ = 0, dim = 0, light = 0;
        for (int y = area.y0; y < area.y1; ++y)
            for (int x = area.x0; x < area.x1; ++x) {
                const std::size_t i = (static_cast<std::size_t>(y) * w + x) * 3;
                differ += written[i] != end[i] || written[i + 2] != end[i + 2];
                dim += grey[i] < 80 && grey[i + 2] < 80;
                light += grey[i] > 200 && grey[i + 1] > 190;
            }
        EXPECT_EQ(std::tuple(differ > 0, dim > 20, light > 5), std::tuple(area.written, area.written, area.written));
    }
    EXPECT_FALSE(TextRenderer("no such font.ttf").ok());
}

// Pixels that differ between two pictures inside and outside a box (pixels from the bottom left).
std::pair<int, int> changed(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int width,
                            int x0, int y0, int x1, int y1) {
    std::pair<int, int> count{0, 0};
    for (std::size_t i = 0; i < a.size(); i += 3) {
        const int x = static_cast<int>(i / 3) % width, y = static_cast<int>(i / 3) / width;
        if (!std::equal(&a[i], &a[i] + 3, &b[i])) (x >= x0 && x < x1 && y >= y0 && y < y1 ? count.first : count.second)++;
    }
    return count;
}

// Gamma over the whole window; on the HUD pick-up orbs, the brightness bar and LIGHT's flash.
TEST(Window, BrightnessAndTheHudsPickupsBarAndFlash) {
    TestGame test;
    if (!test.ok()) GTEST_SKIP() << "no display or GL context";
    GameContext& c = test.game();
    test.startPlaying();  // LIGHT full
    const auto drawn = [&](float brightness, float pickups, float shown, float flash, bool useKey = false, const char* name = "E") {
        std::tie(c.settings.brightness, c.camera.pickups, c.brightnessShown, c.pickupFlash) = std::tuple(brightness, pickups, shown, flash);
        FrameView view = frameView(c);
        std::tie(view.useKeyShown, view.useKeyName) = std::tuple(useKey, name);
        c.renderer->draw(view);
        return test.pixels();
    };
    const auto mean = [](const std::vector<unsigned char>& rgb) { return std::accumulate(rgb.begin(), rgb.end(), 0.0) / double(rgb.size()); };
    const std::vector<unsigned char> made = drawn(1.0f, 0, 0, 0);
    EXPECT_GT(mean(drawn(1.6f, 0, 0, 0)), mean(made) * 1.5);
    EXPECT_LT(mean(drawn(0.7f, 0, 0, 0)), mean(made) * 0.7);
    // As many orbs as pick-ups held: runs of changed pixels along the orbs' row.
    for (int held = 0; held <= 3; ++held) {
        const std::vector<unsigned char> now = drawn(1.0f, float(held), 0, 0);
        int orbs = 0;
        for (std::size_t x = 84, at = (21 * 320 + x) * 3; x < 112; ++x, at += 3)
            orbs += now[at] != made[at] && now[at - 3] == made[at - 3];
        EXPECT_EQ(orbs, held);
    }
    // At 320 x 180: orbs at x 84..100, y 18..25; bar at x 20..84, y 6..8; LIGHT's fill at x 20..84, y 20..23.
    struct Mark { float pickups, shown, flash; int x0, y0, x1, y1, least; };
    for (const Mark& m : {Mark{2, 0, 0, 84, 17, 100, 26, 4}, Mark{0, 1, 0, 18, 5, 86, 9, 40},
                          Mark{0, 0, 1, 18, 18, 86, 26, 40}}) {
        const auto [inside, outside] = changed(made, drawn(1.0f, m.pickups, m.shown, m.flash), 320, m.x0, m.y0, m.x1, m.y1);
        EXPECT_GT(inside, m.least) << m.pickups << m.shown << m.flash;
        EXPECT_EQ(outside, 0) << m.pickups << m.shown << m.flash;
    }
    // The use key in the slot after two orbs, x 96..100.
    const auto [key, elsewhere] = changed(drawn(1.0f, 2, 0, 0), drawn(1.0f, 2, 0, 0, true), 320, 95, 18, 101, 26);
    EXPECT_GT(key, 6);
    EXPECT_EQ(elsewhere, 0);
    // Use bound to another key: its name on a cap from the same slot, reaching
    // past where the one-letter E ends.
    const auto [name, offSlot] = changed(drawn(1.0f, 2, 0, 0), drawn(1.0f, 2, 0, 0, true, "Left Ctrl"), 320, 95, 16, 140, 28);
    EXPECT_GT(name, 30);
    EXPECT_EQ(offSlot, 0);
    EXPECT_GT(changed(drawn(1.0f, 2, 0, 0, true), drawn(1.0f, 2, 0, 0, true, "Left Ctrl"), 320, 102, 16, 140, 28).first, 10);
    // A long subtitle rises above the meters, the orbs and the key rather
    // than cover them; a short one stays low, between them.
    for (const auto& [line, rows] : {std::pair("I can hear it breathing behind the wall, somewhere below the stairs, waiting", 24),
                                     std::pair("Run.", 0)}) {
        FrameView view = frameView(c);
        std::tie(view.pickupsHeld, view.useKeyShown, view.subtitles) = std::tuple(3, true, std::vector<std::string>{line});
        c.renderer->draw(view);
        const std::vector<unsigned char> with = test.pixels();
        view.subtitles.clear();
        c.renderer->draw(view);
        const auto [onHud, offHud] = changed(test.pixels(), with, 320, 0, 0, 110, rows);
        EXPECT_EQ(onHud, 0) << line;
        EXPECT_GT(offHud, 50) << line;
    }
}

}  // namespace
