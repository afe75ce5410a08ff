// The renderer's shortcuts (depth first, shadow maps only where the cones
// read them, lights left out where they cannot reach) must leave every
// pixel of the real level as the full work draws it.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "app/GameRules.h"
#include "render/FrameRenderer.h"
#include "render/Light.h"
#include "render/ShaderProgram.h"
#include "tests/frame/FrameTestScene.h"

using namespace frametest;

namespace {

// The start, the lamp's corner with the light on, the stage, and a wall
// right in front of the light with the pad's widest cone; the stage again
// with the translucent pass, and the start in wireframe.
struct Pose {
    glm::vec3 eye;
    float horizontalAngle;
    float verticalAngle;
    float flashlightCutOff;
    bool transparency = false;
    bool wireframe = false;
};
const Pose poses[] = {
    {{2.92f, 1.2f, 0.262f}, -2.57f, -0.5f, 0.95f},
    {{-1.0f, 1.2f, -4.5f}, -2.4f, 0.15f, 0.99f},
    {{0.5f, 1.2f, 6.0f}, -1.5708f, -0.15f, 0.95f},
    {{2.92f, 1.2f, 0.262f}, 0.6f, 0.0f, 0.94f},
    {{0.5f, 1.2f, 6.0f}, -1.5708f, -0.15f, 0.95f, true},
    {{2.92f, 1.2f, 0.262f}, -2.57f, -0.5f, 0.95f, false, true},
};

std::vector<unsigned char> presented(GameContext& c, const SceneAssets& assets, const FrameShortcuts& shortcuts) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderFrame(c, assets.plainTexture, shortcuts);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(c.settings.width * c.settings.height * 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, c.settings.width, c.settings.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

}  // namespace

TEST(RealLevelShortcuts, LeaveEveryPixelAsTheFullWorkDrawsIt) {
    if (!std::filesystem::exists("SCENE.txt")) GTEST_SKIP() << "no level in the working directory";
    TestGame game("SCENE.txt", false, 320, 180);
    if (!game.gl.ok()) GTEST_SKIP() << "no GL context";
    game.context.settings.shadowMapSize = 512;
    game.setUp();
    GameContext& c = game.context;
    ASSERT_GE(c.sceneObjects.size(), 5u);
    c.camera.playing = true;
    c.camera.lightIntensity = 0.8f;

    for (const Pose& pose : poses) {
        c.camera.position = pose.eye;
        c.camera.horizontalAngle = pose.horizontalAngle;
        c.camera.verticalAngle = pose.verticalAngle;
        c.camera.updateVectors();
        const rules::FlashlightPose light =
            rules::placeFlashlight(c.camera.position, c.camera.direction, c.camera.right, c.camera.up);
        c.lights[0]->position = light.position;
        c.lights[0]->direction = light.direction;
        c.lights[0]->intensity = 1.0f;
        c.lights[0]->cutOff = pose.flashlightCutOff;
        c.frustum.update(c.camera.position, c.camera.position + c.camera.direction, c.camera.up);
        c.transparency = pose.transparency;
        c.wireframe = pose.wireframe;
        glPolygonMode(GL_FRONT_AND_BACK, pose.wireframe ? GL_LINE : GL_FILL);  // as F3 leaves it

        FrameShortcuts none;
        none.shadowRegions = false;
        const FrameShortcuts all = frameShortcuts(game.assets);
        const std::vector<unsigned char> full = presented(c, game.assets, none);
        const std::vector<unsigned char> quick = presented(c, game.assets, all);
        ASSERT_EQ(full.size(), quick.size());
        std::size_t differing = 0;
        int largest = 0;
        for (std::size_t i = 0; i < full.size(); ++i) {
            const int d = std::abs(int(full[i]) - int(quick[i]));
            if (d != 0) ++differing;
            largest = std::max(largest, d);
        }
        EXPECT_EQ(differing, 0u) << "largest difference " << largest << " at eye " << pose.eye.x << ", " << pose.eye.z;
        // The pose must show something lit, or the comparison proves little.
        EXPECT_GT(*std::max_element(full.begin(), full.end()), 100);
    }
    c.wireframe = false;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShadowReadRegion, CoversTheConeWithRoomForTheBlur) {
    // The lamp: cos 0.85 is 31.8 degrees, tan 0.62 of the 45-degree half field.
    const MapRegion lamp = shadowReadRegion(0.85f, 1024, 1024);
    const double radius = 0.5 * std::tan(std::acos(0.85)) / std::tan(0.785) * 1024.0;
    EXPECT_NEAR(lamp.x, 512.0 - radius - 8.0, 1.5);
    EXPECT_NEAR(lamp.width, 2.0 * radius + 16.0, 3.0);
    EXPECT_EQ(lamp.x, lamp.y);
    EXPECT_EQ(lamp.width, lamp.height);
    // A narrower cone reads less of the map; a non-square map keeps its shape.
    EXPECT_LT(shadowReadRegion(0.95f, 1024, 1024).width, lamp.width);
    const MapRegion wide = shadowReadRegion(0.85f, 96, 48);
    EXPECT_GT(wide.width, wide.height);
    EXPECT_LE(wide.x + wide.width, 96);

    // Cones as wide as the projection, or no cone at all: the whole map.
    for (const float cutOff : {0.7f, 0.0f, -1.0f, std::nanf("")}) {
        const MapRegion all = shadowReadRegion(cutOff, 64, 32);
        EXPECT_EQ(all.x, 0);
        EXPECT_EQ(all.y, 0);
        EXPECT_EQ(all.width, 64);
        EXPECT_EQ(all.height, 32);
    }
    // A point of a cone still gets the blur's reach; a tiny map is clamped.
    EXPECT_GE(shadowReadRegion(1.0f, 1024, 1024).width, 16);
    const MapRegion tiny = shadowReadRegion(0.95f, 4, 4);
    EXPECT_EQ(tiny.x, 0);
    EXPECT_EQ(tiny.width, 4);
}

TEST(DefaultVariants, DefinesFollowTheVersionLineAndLeaveTheirLightOut) {
    murk::test::GlContext gl(64, 64, true);
    if (!gl.ok()) GTEST_SKIP() << "no GL context";
    const ShaderProgram full("Shader/default.vert", "Shader/default.frag");
    const ShaderProgram noLamp("Shader/default.vert", "Shader/default.frag", "", "#define WITHOUT_LAMP");
    const ShaderProgram none("Shader/default.vert", "Shader/default.frag", "",
                             "#define WITHOUT_FLASHLIGHT\n#define WITHOUT_LAMP");
    EXPECT_NE(glGetUniformLocation(full.program, "I_1"), -1);
    EXPECT_EQ(glGetUniformLocation(noLamp.program, "I_1"), -1);
    EXPECT_NE(glGetUniformLocation(noLamp.program, "I_0"), -1);
    EXPECT_EQ(glGetUniformLocation(none.program, "I_0"), -1);
    EXPECT_EQ(glGetUniformLocation(none.program, "I_1"), -1);
    // What every variant still takes from the renderer.
    EXPECT_NE(glGetUniformLocation(none.program, "ambientFactor"), -1);
    EXPECT_EQ(none.defines, "#define WITHOUT_FLASHLIGHT\n#define WITHOUT_LAMP");
}
