// The window title, the game's status line, and the frame rate it shows.
#include "app/DebugToggles.h"
#include "render/Renderer.h"
#include "app/WindowTitle.h"

#include <gtest/gtest.h>

namespace {

TEST(Title, WholeLineForEachSwitch) {
    struct Case { bool showFps; int fps, sampling, mipmap; bool culling, transparency; DrawCounts counts;
                  const char* want; };
    const Case cases[] = {
        {true, 60, 1, 2, true, false, {1200, 400, 25},
         "Murkhaven @60 fps (16 ms) - TSQ: bilinear; MMQ: linear FC: on TP: off;; #vertices: 1200; #faces: 400; "
         "#objects: 25"},
        {false, 60, 0, 0, false, true, {3, 2, 1},
         "Murkhaven - TSQ: nearest; MMQ: off FC: off TP: on;; #vertices: 3; #faces: 2; #objects: 1"},
        {true, 0, 1, 1, true, false, {0, 0, 0},  // no rate yet in the first second
         "Murkhaven @0 fps (0 ms) - TSQ: bilinear; MMQ: nearest FC: on TP: off;; #vertices: 0; #faces: 0; "
         "#objects: 0"},
    };
    for (const Case& c : cases) {
        FrameRateCounter counter;
        counter.framesPerSecond = c.fps;
        std::string title = titleHead(c.showFps, counter, c.sampling, c.mipmap, c.culling, c.transparency);
        appendDrawCounts(title, c.counts);
        EXPECT_EQ(title, c.want);
    }
}

TEST(Title, PickResultOnlyNamesAHit) {
    for (const auto& [actor, want] : {std::pair{7, "x; hit objects: 7, "}, std::pair{0, "x; hit objects: 0, "},
                                      std::pair{-1, "x; hit objects: "}}) {
        std::string title = "x";
        appendPickResult(title, actor);
        EXPECT_EQ(title, want);
    }
}

TEST(FrameRate, WindowsOfAboutASecond) {
    FrameRateCounter counter;
    for (double dt : {0.5, 0.5, 0.5, 0.3, 0.25}) counter.count(dt);  // a window of exactly 1 s stays open
    EXPECT_EQ(counter.framesPerSecond, 3);
    EXPECT_EQ(counter.frameCount, 1);  // the closing frame opened the next window, uncounted
    EXPECT_DOUBLE_EQ(counter.frameTime, 0.55);
    for (const auto& [fps, ms] : {std::pair{4, 250}, std::pair{60, 16}, std::pair{1000, 1}, std::pair{1001, 0},
                                  std::pair{0, 0}}) {
        counter.framesPerSecond = fps;
        EXPECT_EQ(counter.frameMilliseconds(), ms) << fps;
    }
}

}  // namespace
