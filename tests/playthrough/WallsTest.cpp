// The level holds the player: from a grid of places the player walks in
// eight directions and back, and pressed against every wall along its whole
// length, across every seam between wall pieces. The eye must stay inside
// the outer walls, at a standing height over a floor and out of every
// solid, and the player must never stick where the level's boxes leave room.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "LevelGame.h"

namespace {

constexpr double frameDt = 1.0 / 30.0;
// Inner faces of the outer walls.
constexpr float innerMinX = -7.9f, innerMaxX = 4.2f, innerMinZ = -14.7f, innerMaxZ = 8.6f;
constexpr float wallThickness = 0.2f;
constexpr float radius = 0.2f;       // the capsule's
constexpr float climb = 0.3f;        // highest step the capsule takes
constexpr float standTop = 1.21f;    // standing capsule top above the feet
constexpr float highestFloor = 1.0f; // stage and walkways

float distanceToRect(const SolidBox& s, glm::vec2 p) {
    const float dx = std::max({s.min.x - p.x, 0.0f, p.x - s.max.x});
    const float dz = std::max({s.min.z - p.y, 0.0f, p.y - s.max.z});
    return std::sqrt(dx * dx + dz * dz);
}

// The floor a standing capsule rests on at (x, z): the top of a block that
// stands on the ground (or the ground), with nothing else in the capsule's
// way; nothing when it does not fit there.
std::optional<float> standingFloor(const std::vector<SolidBox>& solids, glm::vec2 p, float clearance) {
    float floor = 0.0f;
    for (const SolidBox& s : solids)
        if (distanceToRect(s, p) < clearance && s.min.y < 0.05f && s.max.y <= highestFloor + 0.05f)
            floor = std::max(floor, s.max.y);
    for (const SolidBox& s : solids)
        if (distanceToRect(s, p) < clearance && s.max.y > floor + 0.01f && s.min.y < floor + standTop + 0.1f)
            return std::nullopt;
    return floor;
}

// Whether a solid the capsule cannot step over or pass under lies on the
// way from p along `along` for `length` metres.
bool blockedAhead(const std::vector<SolidBox>& solids, glm::vec2 p, glm::vec2 along, float length, float foot) {
    for (float s = 0.0f; s <= length; s += 0.05f) {
        const glm::vec2 q = p + along * s;
        for (const SolidBox& b : solids) {
            const bool inWay = b.max.y > foot + climb && b.min.y < foot + standTop;
            if (inWay && distanceToRect(b, q) < radius - 0.005f) return true;
        }
    }
    return false;
}

class Walls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(game.configRead);
        ASSERT_TRUE(game.loadError.empty()) << game.loadError;
        ASSERT_GT(game.solids.size(), 20u);
        game.startGame(frameDt);
        ASSERT_TRUE(game.context.camera.playing);
    }

    // Places the player at p facing `yaw`, level.
    void placeAt(glm::vec2 p, float floor, float yaw) {
        game.teleport(p.x, floor, p.y);
        face(yaw);
        game.input.release(Key::W);
        game.frame(frameDt);  // settle on the floor
    }

    void face(float yaw) {
        Camera& camera = game.context.camera;
        camera.horizontalAngle = yaw;
        camera.verticalAngle = 0.0f;
        camera.updateVectors();
    }

    // One frame with W held; checks where the body ended up. False once a
    // check has failed (the failure is reported).
    bool walkFrame(const std::string& run) {
        game.input.press(Key::W);
        game.frame(frameDt);
        ++frames;
        const glm::vec3 eye = game.context.camera.position;
        const glm::vec3 foot(game.physics.footPosition);
        std::ostringstream where;
        where << run << ": eye (" << eye.x << ", " << eye.y << ", " << eye.z << ")";
        const float margin = radius - 0.05f;
        const bool inside = eye.x > innerMinX + margin && eye.x < innerMaxX - margin &&
                            eye.z > innerMinZ + margin && eye.z < innerMaxZ - margin;
        EXPECT_TRUE(inside) << "left the level; " << where.str();
        EXPECT_TRUE(eye.y > 1.1f && eye.y < highestFloor + 1.3f) << "off the floors; " << where.str();
        // The capsule is the segment between its sphere centres, grown by the radius.
        const float low = foot.y + 0.01f + radius;
        const float high = low + (game.physics.crouched ? 0.2f : 0.8f);
        float worst = 1.0f;
        for (const SolidBox& s : game.solids) {
            const float across = distanceToRect(s, {eye.x, eye.z});
            const float up = std::max({s.min.y - high, 0.0f, low - s.max.y});
            worst = std::min(worst, std::sqrt(across * across + up * up));
        }
        deepest = std::max(deepest, radius - worst);
        EXPECT_GT(worst, radius - 0.03f) << "inside a solid; " << where.str();
        return inside && worst > radius - 0.03f && !::testing::Test::HasFailure();
    }

    LevelGame game{false};
    long frames = 0;
    float deepest = 0.0f;  // worst overlap of the capsule with a solid
};

TEST_F(Walls, TheLevelIsClosedByItsOuterWalls) {
    glm::vec3 lo(1e9f), hi(-1e9f);
    for (const SolidBox& s : game.solids) {
        lo = glm::min(lo, s.min);
        hi = glm::max(hi, s.max);
    }
    EXPECT_NEAR(lo.x, innerMinX - wallThickness, 0.01f);
    EXPECT_NEAR(hi.x, innerMaxX + wallThickness, 0.01f);
    EXPECT_NEAR(lo.z, innerMinZ - wallThickness, 0.01f);
    EXPECT_NEAR(hi.z, innerMaxZ + wallThickness, 0.01f);
    EXPECT_GT(hi.y, highestFloor + standTop + 1.0f) << "walls too low to keep a player in";
}

// Eight directions for a while from every metre of floor, then straight
// back: a player who walked somewhere can walk away again unless they
// dropped off something too high to climb.
TEST_F(Walls, FromEveryPlaceInEveryDirectionAndBack) {
    const int steps = static_cast<int>(1.2 / frameDt);
    int starts = 0;
    for (float x = innerMinX + 0.4f; x < innerMaxX; x += 1.0f) {
        for (float z = innerMinZ + 0.4f; z < innerMaxZ; z += 1.0f) {
            const std::optional<float> floor = standingFloor(game.solids, {x, z}, radius + 0.05f);
            if (!floor) continue;
            ++starts;
            for (int d = 0; d < 8; ++d) {
                const float yaw = static_cast<float>(d) * std::numbers::pi_v<float> / 4.0f;
                std::ostringstream run;
                run << "from (" << x << ", " << z << ") at yaw " << yaw;
                placeAt({x, z}, *floor, yaw);
                for (int i = 0; i < steps; ++i)
                    if (!walkFrame(run.str())) return;
                const glm::vec3 out = game.context.camera.position;
                const float outFoot = static_cast<float>(game.physics.footPosition.y);
                face(yaw + std::numbers::pi_v<float>);
                for (int i = 0; i < steps; ++i)
                    if (!walkFrame(run.str() + ", walking back")) return;
                const glm::vec3 back = game.context.camera.position;
                const bool dropped = outFoot < *floor - climb;
                if (!dropped) {
                    ASSERT_GT(glm::length(glm::vec2(back.x - out.x, back.z - out.z)), 0.1f)
                        << "stuck at (" << out.x << ", " << out.y << ", " << out.z << "), " << run.str();
                }
            }
        }
    }
    std::printf("walls: %d start places, %ld frames, deepest overlap with a solid %.3f m\n", starts, frames,
                deepest);
    EXPECT_GT(starts, 100);
}

// Pressed against each wall at 15 degrees and walked along it both ways,
// from every half metre of its faces: where the boxes leave the way free,
// the player keeps moving, so no seam between two pieces catches the body.
TEST_F(Walls, AlongEveryWallWithoutCatchingOnASeam) {
    const float into = 15.0f * std::numbers::pi_v<float> / 180.0f;
    const int window = static_cast<int>(0.5 / frameDt);
    const int steps = static_cast<int>(1.5 / frameDt);
    int runs = 0;
    for (const SolidBox& wall : game.solids) {
        if (wall.min.y > 0.01f || wall.max.y < 3.0f) continue;  // walls and pillars
        struct Face {
            glm::vec2 normal;  // out of the wall
            glm::vec2 from, to;
        };
        const Face faces[] = {
            {{-1, 0}, {wall.min.x, wall.min.z}, {wall.min.x, wall.max.z}},
            {{1, 0}, {wall.max.x, wall.min.z}, {wall.max.x, wall.max.z}},
            {{0, -1}, {wall.min.x, wall.min.z}, {wall.max.x, wall.min.z}},
            {{0, 1}, {wall.min.x, wall.max.z}, {wall.max.x, wall.max.z}},
        };
        for (const Face& f : faces) {
            const float length = glm::length(f.to - f.from);
            if (length < 0.3f) continue;
            const glm::vec2 axis = (f.to - f.from) / length;
            for (float s = 0.15f; s < length; s += 0.5f) {
                const glm::vec2 start = f.from + axis * s + f.normal * (radius + 0.06f);
                if (start.x < innerMinX || start.x > innerMaxX || start.y < innerMinZ || start.y > innerMaxZ)
                    continue;
                const std::optional<float> floor = standingFloor(game.solids, start, radius + 0.05f);
                if (!floor) continue;
                for (const float sign : {1.0f, -1.0f}) {
                    const glm::vec2 along = axis * sign;
                    const glm::vec2 heading = along * std::cos(into) - f.normal * std::sin(into);
                    const float yaw = std::atan2(heading.x, heading.y);
                    std::ostringstream run;
                    run << "along the wall (" << wall.min.x << ".." << wall.max.x << ", " << wall.min.z << ".."
                        << wall.max.z << ") from (" << start.x << ", " << start.y << ") towards (" << along.x
                        << ", " << along.y << ")";
                    placeAt(start, *floor, yaw);
                    ++runs;
                    std::vector<glm::vec2> path;
                    std::vector<float> feet;
                    for (int i = 0; i < steps; ++i) {
                        path.emplace_back(game.context.camera.position.x, game.context.camera.position.z);
                        feet.push_back(static_cast<float>(game.physics.footPosition.y));
                        if (!walkFrame(run.str())) return;
                        if (i + 1 < window) continue;
                        const std::size_t k = path.size() - static_cast<std::size_t>(window);
                        const glm::vec2 now(game.context.camera.position.x, game.context.camera.position.z);
                        const float progress = glm::dot(now - path[k], along);
                        if (progress >= 0.1f) continue;
                        if (blockedAhead(game.solids, path[k], along, 0.8f, feet[k])) break;  // a real obstacle
                        FAIL() << "caught at (" << now.x << ", " << game.context.camera.position.y << ", " << now.y
                               << ") with the way ahead free, " << run.str();
                    }
                }
            }
        }
    }
    std::printf("walls: %d runs along wall faces, %ld frames, deepest overlap with a solid %.3f m\n", runs,
                frames, deepest);
    EXPECT_GT(runs, 100);
}

}  // namespace
