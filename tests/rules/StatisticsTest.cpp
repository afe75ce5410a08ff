#include <gtest/gtest.h>

#include "app/Statistics.h"
#include "app/WindowTitle.h"
#include "platform/ScriptedInput.h"
#include "scene/Material.h"
#include "scene/Texture.h"

namespace {

struct Switches {
    bool showFps = false;
    bool wireframe = false;
    int samplingQuality = 1;
    int mipmapQuality = 2;
    bool frustum = true;
    bool transparency = false;
    DebugSwitches refs() {
        return {showFps, wireframe, samplingQuality, mipmapQuality, frustum, transparency};
    }
};

// Presses and releases a key over two frames, as a player does.
void pressAndRelease(ScriptedInput& input, DebugKeyLatches& keys, Switches& s, int key,
                     int& refilters) {
    const auto refilter = [&refilters] { ++refilters; };
    input.press(key);
    pollDebugToggles(input, keys, s.refs(), refilter);
    input.endFrame();
    input.release(key);
    pollDebugToggles(input, keys, s.refs(), refilter);
    input.endFrame();
}

TEST(FrameRate, ZeroDuringTheFirstWindow) {
    FrameRateCounter counter;
    for (int i = 0; i < 60; ++i) counter.count(1.0 / 60.0);
    EXPECT_EQ(counter.framesPerSecond, 0);
    EXPECT_EQ(counter.frameMilliseconds(), 0);
}

TEST(FrameRate, ClosingFrameOpensTheNextWindowUncounted) {
    FrameRateCounter counter;
    for (int i = 0; i < 4; ++i) counter.count(0.3);  // 1.2 s in 4 frames
    EXPECT_EQ(counter.framesPerSecond, 0);
    counter.count(0.25);
    EXPECT_EQ(counter.framesPerSecond, 4);
    EXPECT_EQ(counter.frameCount, 0);
    EXPECT_DOUBLE_EQ(counter.frameTime, 0.25);
    EXPECT_EQ(counter.frameMilliseconds(), 250);
}

TEST(FrameRate, VeryHighRatesGiveWholeMilliseconds) {
    FrameRateCounter counter;
    counter.framesPerSecond = 1000;
    EXPECT_EQ(counter.frameMilliseconds(), 1);
    counter.framesPerSecond = 1001;
    EXPECT_EQ(counter.frameMilliseconds(), 0);
    counter.framesPerSecond = 60;
    EXPECT_EQ(counter.frameMilliseconds(), 16);
}

TEST(WindowTitle, FullTextWithRate) {
    FrameRateCounter counter;
    counter.framesPerSecond = 60;
    std::string title = titleHead(true, counter, 1, 2, true, false);
    appendDrawCounts(title, DrawCounts{1200, 400, 25});
    EXPECT_EQ(title,
              "Murkhaven @60 fps (16 ms) - TSQ: bilinear; MMQ: linear FC: on TP: off;; "
              "#vertices: 1200; #faces: 400; #objects: 25");
}

TEST(WindowTitle, WithoutRateAndOtherSwitches) {
    FrameRateCounter counter;
    std::string title = titleHead(false, counter, 0, 0, false, true);
    appendDrawCounts(title, DrawCounts{0, 0, 0});
    EXPECT_EQ(title,
              "Murkhaven - TSQ: nearest; MMQ: off FC: off TP: on;; #vertices: 0; #faces: 0; "
              "#objects: 0");
}

TEST(WindowTitle, FirstSecondShowsZeroRate) {
    FrameRateCounter counter;
    counter.count(0.016);
    EXPECT_EQ(titleHead(true, counter, 1, 1, true, false),
              "Murkhaven @0 fps (0 ms) - TSQ: bilinear; MMQ: nearest FC: on TP: off;");
}

TEST(WindowTitle, PickResultAfterTheCounts) {
    std::string title = "x";
    appendPickResult(title, 7);
    EXPECT_EQ(title, "x; hit objects: 7, ");
    title = "x";
    appendPickResult(title, -1);
    EXPECT_EQ(title, "x; hit objects: ");
}

TEST(Toggles, F5CyclesLinearOffNearestLinear) {
    ScriptedInput input;
    DebugKeyLatches keys;
    Switches s;
    int refilters = 0;
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i) {
        pressAndRelease(input, keys, s, Key::F5, refilters);
        seen.push_back(s.mipmapQuality);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(refilters, 3);
}

TEST(Toggles, EachKeyActsOnceOnRelease) {
    ScriptedInput input;
    DebugKeyLatches keys;
    Switches s;
    int refilters = 0;
    input.press(Key::F2);
    for (int i = 0; i < 3; ++i) pollDebugToggles(input, keys, s.refs(), nullptr);
    EXPECT_FALSE(s.showFps);  // held: nothing yet
    input.release(Key::F2);
    pollDebugToggles(input, keys, s.refs(), nullptr);
    EXPECT_TRUE(s.showFps);

    pressAndRelease(input, keys, s, Key::F3, refilters);
    pressAndRelease(input, keys, s, Key::F4, refilters);
    pressAndRelease(input, keys, s, Key::F8, refilters);
    pressAndRelease(input, keys, s, Key::F9, refilters);
    EXPECT_TRUE(s.wireframe);
    EXPECT_EQ(s.samplingQuality, 0);
    EXPECT_FALSE(s.frustum);
    EXPECT_TRUE(s.transparency);
    EXPECT_EQ(s.mipmapQuality, 2);
    EXPECT_EQ(refilters, 1);
}

TEST(TextureFilters, SkipMissingImagesAndRepeatSharedOnes) {
    Texture shared;
    shared.id = 5;
    Texture normal;
    normal.id = 6;
    Texture noImage;  // id is the "none" value
    Material a;
    a.diffuseTexture = &shared;
    a.normalTexture = &normal;
    Material b;
    b.diffuseTexture = &noImage;
    Material c;
    c.diffuseTexture = &shared;
    const std::vector<Texture*> got = filterableTextures({&a, &b, nullptr, &c});
    EXPECT_EQ(got, (std::vector<Texture*>{&shared, &normal, &shared}));
}

}  // namespace
