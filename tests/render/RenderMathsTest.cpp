// The render floor's arithmetic, no GL context needed: view and light
// volumes, the projections, the light's view, screen choice, HUD area.
#include <cmath>
#include <tuple>

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include "render/FrameView.h"
#include "render/Frustum.h"
#include "render/Hud.h"
#include "render/Light.h"
#include "render/LightReach.h"
#include "render/Projection.h"
#include "render/Screens.h"
#include "render/TextRenderer.h"

namespace {

struct Box { float minX, maxX, minY, maxY, minZ, maxZ; };  // the bounds fields of a scene object

Box around(glm::vec3 c, glm::vec3 half) {
    return {c.x - half.x, c.x + half.x, c.y - half.y, c.y + half.y, c.z - half.z, c.z + half.z};
}

Frustum cameraFrustum(glm::vec3 eye, glm::vec3 target, float aspect = 16.0f / 9.0f) {
    Frustum f;
    f.setProjection(projection::cameraFieldOfView, aspect, projection::nearDistance, projection::farDistance);
    f.update(eye, target, {0.0f, 1.0f, 0.0f});
    return f;
}
WorldBox box(glm::vec3 min, glm::vec3 max) { return {min, max}; }

}  // namespace

TEST(Frustum, BoxesAcrossAndBeyondEachFace) {
    // At 10 ahead of the 16:9 camera the view is 2h high and 2w wide.
    const float h = 10.0f * std::tan(projection::cameraFieldOfView / 2.0f), w = h * 16.0f / 9.0f;
    const glm::vec3 eye(1.0f, 2.0f, 3.0f), small(0.3f), flat(1.0f, 1.0f, 0.3f);  // flat: sticks out more than in
    const struct { const char* what; glm::vec3 centre, half; bool visible; } rows[] = {
        {"ahead", {0, 0, -5}, small, true},           {"behind", {0, 0, 5}, small, false},
        {"across the left edge", {-w, 0, -10}, flat, true},   {"left of it", {-w - 1, 0, -10}, small, false},
        {"across the right edge", {w, 0, -10}, flat, true},   {"right of it", {w + 1, 0, -10}, small, false},
        {"across the top edge", {0, h, -10}, flat, true},     {"above", {0, h + 1, -10}, small, false},
        {"across the bottom edge", {0, -h, -10}, flat, true}, {"below", {0, -h - 1, -10}, small, false},
        {"on the far plane", {0, 0, -20}, small, true},      {"beyond it", {0, 0, -21}, small, false},
        {"before the near plane", {0, 0, -0.004f}, glm::vec3(0.003f), false},
        {"wide, behind the eye", {0, 0, 1.25f}, {50, 50, 0.75f}, false},
        {"around everything", {0, 0, 0}, glm::vec3(100), true},
    };
    const Frustum f = cameraFrustum(eye, eye + glm::vec3(0, 0, -1));
    for (const auto& row : rows) EXPECT_EQ(f.isVisible(around(eye + row.centre, row.half)), row.visible) << row.what;
}

TEST(Frustum, AgreesWithTheCameraMatrixLookingDownAtAnAngle) {
    const glm::vec3 eye(1.0f, 2.0f, 3.0f), target = eye + glm::vec3(0.6f, -0.5f, -1.0f);
    Frustum f = cameraFrustum(eye, eye + (eye - target), projection::aspectRatio(1280, 720));
    f.update(eye, target, {0, 1, 0});  // the planes follow the camera and do not pile up
    const glm::mat4 clip = projection::camera(projection::cameraFieldOfView, 1280, 720) *
                           glm::lookAt(eye, target, glm::vec3(0, 1, 0));
    int inside = 0, compared = 0;
    for (float x = -21; x <= 21; x += 1.5f)
        for (float y = -21; y <= 21; y += 1.5f)
            for (float z = -21; z <= 21; z += 1.5f) {
                const glm::vec4 c = clip * glm::vec4(eye + glm::vec3(x, y, z), 1.0f);
                const float edge = std::max(std::abs(c.x), std::abs(c.y)) / std::abs(c.w);
                if (std::abs(edge - 1.0f) < 0.02f || std::abs(c.w - projection::farDistance) < 0.05f ||
                    std::abs(c.w - projection::nearDistance) < 0.05f)
                    continue;  // too near a face to tell
                const bool in = c.w > 0.0f && edge < 1.0f && c.w < projection::farDistance;
                EXPECT_EQ(f.isVisible(around(eye + glm::vec3(x, y, z), glm::vec3(1e-3f))), in) << x << " " << y << " " << z;
                inside += in, ++compared;
            }
    EXPECT_TRUE(inside > 300 && compared > 20000) << inside << " " << compared;
}

TEST(Projection, TheTunedCameraAndSpotLightMatrices) {
    const glm::mat4 camera = projection::camera(projection::cameraFieldOfView, 1280, 720);
    const glm::mat4 spot = projection::spotLight();
    for (const glm::mat4& m : {camera, spot})  // near 0.01, far 20
        EXPECT_TRUE(std::abs(m[2][2] + 1.0010005f) < 1e-6f && std::abs(m[3][2] + 0.020010004f) < 1e-7f);
    EXPECT_NEAR(camera[1][1], 1.0f / std::tan(1.0466667f / 2.0f), 1e-5f);
    EXPECT_NEAR(camera[0][0], camera[1][1] * 720.0f / 1280.0f, 1e-5f);
    EXPECT_NEAR(glm::length(glm::vec2(spot[0][0], spot[1][1]) - glm::vec2(1.0f / std::tan(0.785f))), 0.0f, 1e-5f);
}

TEST(Light, ViewLooksAgainstTheDirectionWithTheGivenUp) {
    const struct { glm::vec3 direction, up, worldOffset, inView; } rows[] = {
        {{0, 0, 1}, {0, 1, 0}, {0, 1, -4}, {0, 1, -4}}, {{1, 0, 0}, {0, 1, 0}, {-3, 0, -1}, {1, 0, -3}},
        {{0, 1, 0}, {1, 0, 0}, {2, -5, 0}, {0, 2, -5}},  // the lamp: down, with x as its up
    };
    for (const auto& row : rows) {
        const Light light({1, 2, 3}, glm::vec3(1), row.direction, 0.9f, nullptr, 1.0f);
        const glm::vec3 seen(lightView(light, row.up) * glm::vec4(light.position + row.worldOffset, 1.0f));
        EXPECT_NEAR(glm::length(seen - row.inView), 0.0f, 1e-5f) << row.inView.x << row.inView.y << row.inView.z;
    }
}

TEST(LightReach, ConesAgainstBoxesInARoom) {
    const WorldBox room = box({-8, 0, -8}, {8, 4, 8});
    const LightCone lamp{{0, 3, 0}, {0, -1, 0}, 0.85f};  // 1.86 m wide on the floor
    const LightCone torch{{0, 1.2f, 6}, {0, 0, -1}, 0.95f}, longAxis{{0, 1.2f, 6}, {0, 0, -5}, 0.95f};
    const WorldBox high = box({-1, 3.5f, -1}, {1, 4, 1});  // above the lamp
    const auto down = [](float cutOff, glm::vec3 axis = {0, -1, 0}) { return LightCone{{0, 3, 0}, axis, cutOff}; };
    const struct { const char* what; LightCone cone; WorldBox target; bool reached; } rows[] = {
        {"table under the lamp", lamp, box({-0.5f, 0, -0.5f}, {0.5f, 0.8f, 0.5f}), true}, {"the whole room", lamp, room, true},
        {"just inside the rim", lamp, box({1.7f, 0, 0}, {1.9f, 0.1f, 0.1f}), true},
        {"just outside the rim", lamp, box({2.2f, 0, -0.1f}, {2.4f, 0.1f, 0.1f}), false},
        {"cupboard across the room", lamp, box({3, 0, 3}, {4, 2, 4}), false}, {"empty box", lamp, WorldBox{}, false},
        {"rug beside the pool of light", lamp, box({2, 0.1f, -1.5f}, {4.2f, 0.2f, -0.1f}), false},
        {"ceiling above the lamp", lamp, box({-8, 3.5f, -8}, {8, 4, 8}), false},
        {"wall through the cone, no corner in it", lamp, box({-8, 0, -0.1f}, {8, 4, 0.1f}), true},
        {"far end of the hall", torch, box({-1, 0, -8}, {1, 2, -7.8f}), true}, {"behind the player", torch, box({-1, 0, 7}, {1, 2, 8}), false},
        {"off to the side", torch, box({6, 0, 3}, {7, 1, 4}), false}, {"long axis, chair ahead", longAxis, box({0.5f, 0.8f, 3}, {1, 1.3f, 4}), true},
        {"flat cone", down(0.0f), high, true}, {"inside-out cone", down(-0.5f), high, true},
        {"cutOff not a number", down(std::nanf("")), high, true}, {"no axis", down(0.85f, {0, 0, 0}), high, true}};
    for (const auto& row : rows) EXPECT_EQ(coneReaches(row.cone, room, row.target), row.reached) << row.what;
    EXPECT_TRUE(coneReaches(lamp, WorldBox{}, high));  // no level bounds

    // The lit part of a floor under the lamp: the pool of light, 1.86 m round.
    const WorldBox pool = litPart(lamp, box({-8, 0, -8}, {8, 0.01f, 8}));
    EXPECT_TRUE(pool.min.x < -1.85f && pool.min.x > -2.0f && pool.max.z > 1.85f && pool.max.z < 2.0f && pool.min.y == 0.0f);
    EXPECT_TRUE(litPart(lamp, high).empty() && litPart(lamp, box({3, 0, 3}, {4, 1, 4})).empty());
    EXPECT_TRUE(litPart(down(0.1f), high).max == high.max);  // too wide to bound

    const glm::mat4 model = glm::rotate(glm::translate(glm::mat4(1), {10, 0, 0}), 1.5707963f, {0, 1, 0});
    const WorldBox moved = worldBox({-1, 0, -2}, {1, 1, 2}, model);
    EXPECT_NEAR(glm::length(moved.min - glm::vec3(8, 0, -1)) + glm::length(moved.max - glm::vec3(12, 1, 1)), 0.0f, 1e-4f);
    EXPECT_TRUE(worldBox(glm::vec3(1000), glm::vec3(-1000), model).empty());  // a mesh without vertices
}

// Every point a cone can light must fall inside its rectangle on screen,
// and the rectangle must be tight enough to be worth drawing by.
TEST(LightReach, ConesOnScreenHoldEveryLitPoint) {
    const int w = 1280, h = 720;
    const glm::vec3 eye(0, 1.2f, 0);
    // Rolled a little, so the rectangle's sides do not fall on the bounding pyramid's edges.
    const glm::mat4 view = glm::lookAt(eye, eye + glm::vec3(0, 0, -1), {0.38f, 0.92f, 0});
    const glm::mat4 proj = projection::camera(projection::cameraFieldOfView, w, h);
    const glm::vec3 torchAt = eye + glm::vec3(0.15f, -0.05f, 0);  // beside the eye, as the torch is held
    const struct { const char* what; LightCone cone; float from; bool whole; float maxShare; } rows[] = {
        {"straight ahead from the eye", {eye, {0, 0, -1}, 0.95f}, 0, false, 0.45f},
        {"held torch, aimed 5 m ahead", {torchAt, glm::vec3(0, 0, -5) - glm::vec3(0.15f, -0.05f, 0), 0.95f}, 0, false, 0.8f},
        {"held torch, a wall 1 m away", {torchAt, glm::vec3(0, 0, -5) - glm::vec3(0.15f, -0.05f, 0), 0.95f}, 1.0f, false, 0.3f},
        {"pad's widest cone, turned right", {torchAt, {0.5f, -0.2f, -1}, 0.94f}, 0.5f, false, 0.6f},
        {"lamp ahead, shining down and away", {{0, 3, -6}, {0, -1, -2}, 0.85f}, 0, false, 0.9f},
        {"across the view, corner to corner", {{1, 2, -3}, {-1, -1, -1.5f}, 0.9f}, 0, false, 1},
        {"lamp overhead", {{0, 3, -1}, {0, -1, 0}, 0.85f}, 0, true, 1},
        {"shining back at the camera", {{0, 1.2f, -5}, {0, 0, 1}, 0.95f}, 0, true, 1},
        {"wide cone", {eye, {0, 0, -1}, 0.1f}, 0, true, 1},
        {"cutOff not a number", {eye, {0, 0, -1}, std::nanf("")}, 0, true, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const PixelRect r = coneOnScreen(row.cone, view, proj, w, h, row.from);
        EXPECT_EQ(r.covers(w, h), row.whole);
        EXPECT_LE(float(r.width) * float(r.height), row.maxShare * w * h);
        if (!(row.cone.cutOff > 0.18f)) continue;
        // Points on the cone's rim, from `from` on, that the camera sees.
        const glm::vec3 axis = glm::normalize(row.cone.axis);
        const glm::vec3 side = glm::normalize(glm::cross(axis, std::abs(axis.x) < 0.9f ? glm::vec3(1, 0, 0) : glm::vec3(0, 1, 0)));
        const glm::vec3 up = glm::cross(axis, side);
        const float spread = std::tan(std::acos(row.cone.cutOff));
        int seen = 0;
        for (int k = 0; k < 64; ++k)
            for (float d = 0.02f; d < 40.0f; d *= 1.15f) {
                const float a = 6.2831853f * float(k) / 64;
                const glm::vec3 p = row.cone.apex + (d + row.from) * (axis + spread * (std::cos(a) * side + std::sin(a) * up));
                const glm::vec4 clip = proj * view * glm::vec4(p, 1);
                if (clip.w <= 0 || std::abs(clip.x) > clip.w || std::abs(clip.y) > clip.w || clip.z < -clip.w) continue;
                const float x = (clip.x / clip.w * 0.5f + 0.5f) * w, y = (clip.y / clip.w * 0.5f + 0.5f) * h;
                ++seen;
                EXPECT_TRUE(x >= float(r.x) && x <= float(r.x + r.width) && y >= float(r.y) && y <= float(r.y + r.height))
                    << "point at " << d << " m, angle " << a << " shows at " << x << ", " << y;
            }
        EXPECT_GT(seen, 0);
    }
    // Boxes: a box before the camera shows where it is; one reaching behind it shows everywhere.
    const PixelRect ahead = boxOnScreen(box({-0.5f, 1, -5}, {0.5f, 1.4f, -4}), proj * view, w, h);
    EXPECT_TRUE(ahead.x > 400 && ahead.x + ahead.width < 880 && ahead.y > 240 && ahead.y + ahead.height < 480);
    EXPECT_TRUE(boxOnScreen(box({-1, 0, -2}, {1, 2, 1}), proj * view, w, h).covers(w, h));  // round the eye
    // A strip of floor reaching back past the camera shows only its part in
    // front: right of the middle, below the horizon.
    const glm::mat4 level = proj * glm::lookAt(eye, eye + glm::vec3(0, 0, -1), {0, 1, 0});
    const PixelRect floor = boxOnScreen(box({0.5f, 0, -6}, {2, 0, 5}), level, w, h);
    EXPECT_TRUE(floor.x > w / 2 && floor.x + floor.width == w && floor.y == 0 && floor.y + floor.height < h / 2);
    EXPECT_TRUE(boxOnScreen(box({-1, 0, 2}, {1, 2, 3}), proj * view, w, h).empty());  // behind
    EXPECT_EQ(unite(PixelRect{}, ahead).width, ahead.width);
    EXPECT_TRUE(overlap(PixelRect{0, 0, 10, 10}, PixelRect{20, 0, 5, 5}).empty());
}

TEST(Screens, TheTableAndTheHud) {
    using enum ScreenImage;
    const struct { bool playing, won, help, hasPlayed, wireframe; ScreenImage image; bool hud; } rows[] = {
        {0, 0, 0, 0, 0, Start, 0}, {0, 0, 1, 0, 0, Help, 0}, {0, 0, 0, 1, 0, End, 0}, {0, 0, 1, 1, 0, Help, 0},
        {0, 0, 0, 0, 1, Start, 0}, {1, 0, 0, 0, 0, Composed, 1}, {1, 0, 1, 1, 0, Composed, 1} /* F1 does nothing in play */,
        {1, 0, 0, 1, 1, Scene, 1}, {1, 1, 0, 1, 0, Won, 0} /* playing stays set after a win */, {1, 1, 0, 1, 1, Won, 0},
        {1, 1, 1, 1, 0, Help, 0}, {0, 1, 0, 0, 0, Won, 0}, {0, 1, 1, 1, 0, Help, 0}};
    for (const auto& row : rows) {
        const ScreenState s{row.playing, row.won, row.help, row.hasPlayed, row.wireframe};
        EXPECT_EQ(std::pair(chooseScreen(s), hudShown(s)), std::pair(row.image, row.hud))
            << row.playing << row.won << row.help << row.hasPlayed << row.wireframe;
    }
}

TEST(Hud, AreaCoversLitTexelsAndTheTroughs) {
    constexpr int w = 100, h = 50;
    const glm::vec4 troughs(0.0625f, 0.066667f, 0.2625f, 0.127778f), whole(0, 0, 1, 1);
    const struct { int x, y, channel, bytesShort; glm::vec4 area; } rows[] = {  // the one lit texel, rows from the bottom; x < 0: none
        {-1, 0, 0, 0, troughs}, {90, 40, 2, 0, {troughs.x, troughs.y, 92.0f / w, 42.0f / h}},  // one texel to spare each way
        {3, 2, 1, 0, {0.02f, 0.02f, troughs.z, troughs.w}},
        {0, 0, 0, 0, {0, 0, troughs.z, troughs.w}},  // clamped to the window
        {90, 40, 0, 1, whole},                        // too few bytes for the size
    };
    for (const auto& row : rows) {
        std::vector<unsigned char> rgb(w * h * 3 - static_cast<std::size_t>(row.bytesShort), 0);
        if (row.x >= 0) rgb[static_cast<std::size_t>((row.y * w + row.x) * 3 + row.channel)] = 1;
        const glm::vec4 area = hudArea(rgb, w, h);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(area[i], row.area[i], 1e-6f) << row.x << "," << row.y << " [" << i << "]";
    }
    EXPECT_EQ(hudArea({}, 0, 0), whole);
    FrameView view;
    std::tie(view.fear, view.energy, view.useKeyShown) = std::tuple(100.0f, 0.0f, true);
    const HudValues values = hudValues(view);
    EXPECT_EQ(std::tuple(values.fear, values.energy, values.useKey), std::tuple(1.0f, 0.0f, 1));
}

// Text arrives as UTF-8; what is not well formed shows as the replacement mark.
TEST(Utf8, CodePointsAndAMarkForEachBadByte) {
    const struct { std::string text; std::u32string points; } table[] = {
        {"Ou?", U"Ou?"},
        {"O\xC3\xB9 \xC2\xAB \xE2\x80\x94 na\xC3\xAFve", U"Où « — naïve"},
        {"\xCE\x93\xCE\xB5 \xD0\x9F\xD1\x80", U"Γε Пр"},
        {"\xF0\x9F\x98\x80", U"\U0001F600"},
        {"a\xC3", U"a\uFFFD"},                          // cut short
        {"\xC0\xAF", U"\uFFFD\uFFFD"},                  // over-long '/'
        {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},        // a surrogate
        {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\x80x\xFF", U"\uFFFDx\uFFFD"},
    };
    for (const auto& t : table) EXPECT_EQ(decodeUtf8(t.text), t.points) << t.text;
}
