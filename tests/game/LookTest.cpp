// What the player sees close to: a wall in the torch's beam keeps its
// texture, the carried orbs stay small beside the torch, and the lamp's
// shade glows with the torch off.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>
#include <gtest/gtest.h>

#include "tests/support/TestGame.h"

namespace {

using murk::test::holding;
using murk::test::TestGame;

struct Region {
    double mean = 0.0;       // luminance 0..255
    double deviation = 0.0;  // of the luminance
    double saturated = 0.0;  // fraction of pixels with a channel at 250 or more
};

// A box `fraction` of each side of the window around (cx, cy).
Region around(const std::vector<unsigned char>& rgb, int width, int height, int cx, int cy, double fraction) {
    const int w = static_cast<int>(width * fraction) / 2, h = static_cast<int>(height * fraction) / 2;
    double n = 0.0, sum = 0.0, squares = 0.0, saturated = 0.0;
    for (int y = std::max(0, cy - h); y < std::min(height, cy + h); ++y)
        for (int x = std::max(0, cx - w); x < std::min(width, cx + w); ++x) {
            const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            const double l = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
            n += 1.0;
            sum += l;
            squares += l * l;
            if (p[0] >= 250 || p[1] >= 250 || p[2] >= 250) saturated += 1.0;
        }
    const double mean = sum / n;
    return {mean, std::sqrt(std::max(0.0, squares / n - mean * mean)), saturated / n};
}

// Around the brightness-weighted centre of the window: where the beam falls.
Region brightest(const std::vector<unsigned char>& rgb, int width, int height, double fraction) {
    double total = 0.0, x = 0.0, y = 0.0;
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            const double l = rgb[(static_cast<std::size_t>(j) * width + i) * 3 + 1];
            const double weight = l * l;
            total += weight;
            x += weight * i;
            y += weight * j;
        }
    return around(rgb, width, height, static_cast<int>(x / total), static_cast<int>(y / total), fraction);
}

class Look : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test.ok()) GTEST_SKIP() << "no display or GL context";
        game().settings.freezeMeters = true;
        test.startPlaying();
        game().camera.energy = 100.0f;
        game().camera.fear = 0.0f;
    }
    GameContext& game() { return test.game(); }
    // A few frames where placed, the light on or off, then the picture.
    std::vector<unsigned char> settle(bool light, int frames = 6) {
        for (int i = 0; i < frames; ++i) test.frame(holding({}, game(), light), 0.05, i + 1 == frames);
        return test.pixels();
    }
    int width() { return game().settings.width; }
    int height() { return game().settings.height; }
    TestGame test;
};

TEST_F(Look, AWallAThirdOfAMetreAwayInTheBeamShowsItsTexture) {
    test.place(3.9f, 0.0f, 0.0f, glm::radians(90.0f));  // the east outer wall at x = 4.2
    const Region wall = brightest(settle(true), width(), height(), 0.15);
    std::printf("wall at 0.3 m: mean %.1f, deviation %.1f, saturated %.3f\n", wall.mean, wall.deviation,
                wall.saturated);
    EXPECT_GT(wall.mean, 60.0) << "the beam lights the wall";
    EXPECT_LT(wall.saturated, 0.02) << "burnt to white";
    EXPECT_GT(wall.deviation, 5.0) << "a flat patch where the texture should be";
}

TEST_F(Look, CarriedOrbsCoverLittleOfTheView) {
    test.place(3.0f, 0.0f, 0.0f, glm::radians(90.0f));
    const std::vector<unsigned char> without = settle(true);
    game().collectedPickups = {0, 1, 2};
    test.frame(holding({}, game(), true), 0.0001);
    const std::vector<unsigned char> with = test.pixels();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < with.size(); i += 3)
        for (std::size_t k = 0; k < 3; ++k)
            if (std::abs(int(with[i + k]) - int(without[i + k])) > 24) {
                ++changed;
                break;
            }
    const double covered = static_cast<double>(changed) / static_cast<double>(with.size() / 3);
    std::printf("three carried orbs cover %.4f of the window\n", covered);
    EXPECT_GT(covered, 0.0005) << "the orbs are held in view";
    EXPECT_LT(covered, 0.03);
}

TEST_F(Look, TheLampShadeGlowsWithTheTorchOff) {
    const glm::vec3 shade(-3.8f, 3.12f, -7.5f);
    test.place(-3.8f, 0.0f, -5.2f, glm::radians(180.0f));
    settle(false);
    const glm::vec3 to = shade - game().camera.position;
    game().camera.horizontalAngle = std::atan2(to.x, to.z);
    game().camera.verticalAngle = std::atan2(to.y, glm::length(glm::vec2(to.x, to.z)));
    game().camera.updateVectors();
    const Region lamp = around(settle(false, 2), width(), height(), width() / 2, height() / 2, 0.04);
    std::printf("lamp shade with the torch off: mean %.1f\n", lamp.mean);
    EXPECT_GT(lamp.mean, 90.0);
}

}  // namespace
