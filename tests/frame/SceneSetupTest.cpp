#include <filesystem>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "audio/SoundManager.h"
#include "physics/PhysicsWorld.h"
#include "render/FrameRenderer.h"
#include "render/Light.h"
#include "render/ShaderProgram.h"
#include "render/PostProcess.h"
#include "render/ShadowMap.h"
#include "scene/Material.h"
#include "scene/Texture.h"
#include "scene/World.h"
#include "tests/frame/FrameTestScene.h"

using namespace frametest;

namespace {

// Five lines, six meshes: the fourth model has two, so the pick-ups, the
// last three meshes, are line 4's two and line 5's one.
struct LevelFiles {
    LevelFiles() {
        writeFile(dir.path / "zero.obj", boxesObj({{{0, 0, -30}, {0.5f, 0.5f, 0.5f}}}));
        writeFile(dir.path / "held.obj", boxesObj({{{0, 0, 0}, {1, 1, 1}}}));
        writeFile(dir.path / "room.obj", boxesObj({{{0, -0.5f, -4}, {4, 0.5f, 4}}}));
        writeFile(dir.path / "two.obj", boxesObj({{{1, 1, 1}, {0.2f, 0.2f, 0.2f}}, {{2, 1, 1}, {0.2f, 0.2f, 0.2f}}}));
        writeFile(dir.path / "last.obj", boxesObj({{{3, 1, 1}, {0.2f, 0.2f, 0.2f}}}));
        const std::string d = dir.path.string() + "/";
        writeFile(dir.path / "SCENE.txt",
                  "Test level\n//PLAYER OBJECTS\n" + d + "zero.obj, default, none, 0, FALSE, \n" + d +
                      "held.obj, rim, none, 0, FALSE, \n//END\n//ENEMY OBJECTS\n//END\n//SCENE OBJECTS\n" + d +
                      "room.obj, default, box, 0, FALSE, \n" + d + "two.obj, energy, none, 0, FALSE, \n" + d +
                      "last.obj, energy, none, 0, FALSE, \n//END\n");
    }
    std::string scene() const { return (dir.path / "SCENE.txt").string(); }
    ScratchDir dir;
};

glm::vec3 translationOf(const glm::mat4& m) { return glm::vec3(m[3]); }

}  // namespace

class SceneSetup : public ::testing::Test {
protected:
    void SetUp() override {
        if (!game.gl.ok()) GTEST_SKIP() << "no GL context";
    }
    LevelFiles files;
    TestGame game{files.scene()};
};

TEST_F(SceneSetup, ObjectsInMeshOrderWithPickupsAtTheirPlaces) {
    GameContext& c = game.context;
    ASSERT_EQ(c.sceneObjects.size(), 6u) << game.console.str();
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(c.sceneObjects[i]->modelMatrix, glm::mat4(1.0f)) << i;
    }
    // The last three meshes, across the two last lines.
    EXPECT_EQ(translationOf(c.sceneObjects[3]->modelMatrix), glm::vec3(-5.6f, 0.4f, 7.19f));
    EXPECT_EQ(translationOf(c.sceneObjects[4]->modelMatrix), glm::vec3(-0.5f, 0.9f, 7.5f));
    EXPECT_EQ(translationOf(c.sceneObjects[5]->modelMatrix), glm::vec3(3.0f, 0.9f, -7.8f));
    EXPECT_EQ(glm::mat3(c.sceneObjects[5]->modelMatrix), glm::mat3(1.0f));  // translation only
    EXPECT_EQ(c.sceneObjects[1]->shader->vertexPath, "Shader/rim.vert");
    EXPECT_EQ(c.pickupObjectCount, 3);
    // Only the room asked for a collision body.
    ASSERT_NE(c.physicsWorld, nullptr);
    EXPECT_EQ(c.physicsWorld->actors.size(), 1u);
    EXPECT_EQ(game.console.str().find("incomplete"), std::string::npos);
}

TEST_F(SceneSetup, LightsFromTheStartPoseAndTheFixedLamp) {
    GameContext& c = game.context;
    ASSERT_EQ(c.lights.size(), 2u);
    const Light& flashlight = *c.lights[0];
    EXPECT_EQ(c.flashlight, c.lights[0].get());
    EXPECT_EQ(flashlight.position, c.camera.position);
    const glm::vec3 d = viewDirection(c.camera.horizontalAngle, c.camera.verticalAngle);
    EXPECT_NEAR(glm::length(flashlight.direction - d), 0.0f, 1e-6f);
    EXPECT_NEAR(glm::length(flashlight.direction - c.camera.direction), 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(flashlight.cutOff, 0.95f);
    EXPECT_FLOAT_EQ(flashlight.intensity, 1.0f);

    const Light& lamp = *c.lights[1];
    EXPECT_EQ(lamp.position, glm::vec3(-3.8f, 3.0f, -7.5f));
    EXPECT_EQ(lamp.direction, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_FLOAT_EQ(lamp.cutOff, 0.85f);
    EXPECT_FLOAT_EQ(lamp.intensity, 1.0f);
    EXPECT_EQ(c.lampUp, glm::vec3(1.0f, 0.0f, 0.0f));

    for (const auto& light : c.lights) {
        EXPECT_EQ(light->shadowMap->width, 64);
        EXPECT_EQ(light->shadowMap->internalFormat, static_cast<GLenum>(GL_RG32F));
    }
    // hud.png took slot 0, the flashlight's map 1..4 (stored as given + 1);
    // the lamp's map reuses the next slot without advancing it.
    EXPECT_EQ(c.lights[0]->shadowMap->slot, 2);
    EXPECT_EQ(c.lights[1]->shadowMap->slot, 6);
    EXPECT_EQ(c.world->nextTextureSlot, 5);
    EXPECT_FLOAT_EQ(c.camera.lightIntensity, 1.0f);
}

TEST_F(SceneSetup, UniformTableHasOneRowPerObjectFromItsOwnProgram) {
    GameContext& c = game.context;
    const UniformTable& t = c.uniformTable;
    ASSERT_EQ(t.rows(), c.sceneObjects.size());
    for (std::size_t i = 0; i < c.sceneObjects.size(); ++i) {
        const GLuint p = c.sceneObjects[i]->shader->program;
        EXPECT_EQ(t.modelMatrix[i], glGetUniformLocation(p, "modelMatrix")) << i;
        EXPECT_EQ(t.mvpMatrix[i], glGetUniformLocation(p, "mvpMatrix")) << i;
        EXPECT_EQ(t.opacity[i], glGetUniformLocation(p, "opacity")) << i;
    }
    // The shaders declare what their uniform sets need.
    EXPECT_NE(t.ambientFactor[0], -1);
    EXPECT_NE(t.damage[0], -1);
    EXPECT_EQ(t.I[0], -1);
    EXPECT_NE(t.I[1], -1);
    EXPECT_NE(t.cameraLocation[1], -1);
    EXPECT_NE(t.lightLocation[5], -1);
    EXPECT_EQ(t.diffuseTexture[5], -1);
}

TEST_F(SceneSetup, FixedResourcesGlStateAndFrustum) {
    GameContext& c = game.context;
    EXPECT_FLOAT_EQ(c.fieldOfView, 1.0466667f);
    EXPECT_FLOAT_EQ(c.frustum.angle, 1.0466667f);
    EXPECT_FLOAT_EQ(c.frustum.aspectRatio, 160.0f / 90.0f);
    EXPECT_FLOAT_EQ(c.frustum.nearDistance, 0.01f);
    EXPECT_FLOAT_EQ(c.frustum.farDistance, 20.0f);
    EXPECT_TRUE(c.frustum.enabled);

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 160);
    EXPECT_EQ(viewport[3], 90);

    ASSERT_TRUE(c.hudQuad && c.screenQuad && c.spareQuad && c.postProcess && c.hudMaterial);
    EXPECT_EQ(c.hudQuad->shader->vertexPath, "Shader/hud.vert");
    EXPECT_EQ(c.screenQuad->shader->vertexPath, "Shader/quad.vert");
    EXPECT_EQ(c.spareQuad->shader->vertexPath, "Shader/quad.vert");
    EXPECT_NE(c.spareQuad->shader, c.screenQuad->shader);
    EXPECT_EQ(c.postProcess->width, 160);
    ASSERT_TRUE(c.startScreen && c.endScreen && c.helpScreen && c.wonScreen);
    EXPECT_EQ(c.startScreen->slot, 6);
    EXPECT_EQ(c.wonScreen->slot, 9);

    ASSERT_TRUE(c.soundManager);
    EXPECT_EQ(c.soundManager->soundCount(), 12);
    EXPECT_EQ(c.sounds.enemyRawr, 11);
    EXPECT_EQ(c.sounds.ambienceMusic, 0);
}

TEST(SceneSetupState, GameStateStartsOver) {
    LevelFiles files;
    TestGame game(files.scene(), false);
    if (!game.gl.ok()) GTEST_SKIP() << "no GL context";
    GameContext& c = game.context;
    c.won = c.helpShown = c.hasPlayed = c.showFps = c.wireframe = c.transparency = true;
    c.lampUp = glm::vec3(0.0f, 1.0f, 0.0f);
    c.collectedPickups = {1};
    c.frameRate.frameCount = 7;
    c.latches.f1.pressed = true;
    c.camera.swayX = c.camera.swayY = 0.01f;
    game.setUp();
    EXPECT_FALSE(c.won || c.helpShown || c.hasPlayed || c.showFps || c.wireframe || c.transparency);
    EXPECT_EQ(c.lampUp, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_TRUE(c.collectedPickups.empty());
    EXPECT_EQ(c.frameRate.frameCount, 0);
    EXPECT_FALSE(c.latches.f1.pressed);
    EXPECT_EQ(c.camera.swayX, 0.0f);
    EXPECT_EQ(c.camera.swayY, 0.0f);
}

TEST(SceneSetupIncomplete, MissingSceneFileStillGivesScreensAndFrames) {
    ScratchDir dir;
    TestGame game((dir.path / "SCENE.txt").string());
    if (!game.gl.ok()) GTEST_SKIP() << "no GL context";
    GameContext& c = game.context;
    const std::string console = game.console.str();
    EXPECT_NE(console.find("Scene-File kann nicht gelesen werden.\n"), std::string::npos) << console;
    EXPECT_NE(console.find("level incomplete"), std::string::npos) << console;
    EXPECT_TRUE(c.sceneObjects.empty());
    EXPECT_EQ(c.uniformTable.rows(), 0u);
    ASSERT_EQ(c.lights.size(), 2u);

    while (glGetError() != GL_NO_ERROR) {
    }
    c.camera.playing = true;
    renderFrame(c, game.assets.plainTexture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(c.drawCounts.objects, 0u);
}

TEST(SceneSetupIncomplete, FewObjectsAreDrawnWithoutPickups) {
    ScratchDir dir;
    writeFile(dir.path / "a.obj", boxesObj({{{0, 1.2f, -3}, {0.3f, 0.3f, 0.3f}}}));
    const std::string a = (dir.path / "a.obj").string();
    writeFile(dir.path / "SCENE.txt", "//PLAYER OBJECTS\n" + a + ", default, none, 0, FALSE, \n" + a +
                                          ", default, none, 0, FALSE, \n//END\n//ENEMY OBJECTS\n//END\n"
                                          "//SCENE OBJECTS\n" + a + ", default, none, 0, FALSE, \n//END\n");
    TestGame game((dir.path / "SCENE.txt").string());
    if (!game.gl.ok()) GTEST_SKIP() << "no GL context";
    GameContext& c = game.context;
    ASSERT_EQ(c.sceneObjects.size(), 3u);
    EXPECT_NE(game.console.str().find("level incomplete"), std::string::npos);
    for (murk::SceneObject* object : c.sceneObjects) EXPECT_EQ(object->modelMatrix, glm::mat4(1.0f));

    while (glGetError() != GL_NO_ERROR) {
    }
    c.frustum.update(c.camera.position, c.camera.position + c.camera.direction, c.camera.up);
    renderFrame(c, game.assets.plainTexture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(c.drawCounts.objects, 2u);  // objects 1 and 2
}

TEST(RealLevel, SetsUpAndDrawsAFullFrameWithoutGlError) {
    if (!std::filesystem::exists("SCENE.txt")) GTEST_SKIP() << "no level in the working directory";
    TestGame game("SCENE.txt");
    if (!game.gl.ok()) GTEST_SKIP() << "no GL context";
    GameContext& c = game.context;
    ASSERT_GE(c.sceneObjects.size(), 5u) << game.console.str();
    EXPECT_EQ(game.console.str().find("incomplete"), std::string::npos);
    EXPECT_EQ(game.console.str().find("texture not found"), std::string::npos) << game.console.str();
    EXPECT_NE(c.startScreen->id, Texture::noImage);
    EXPECT_NE(c.hudMaterial->diffuseTexture->id, Texture::noImage);
    // "default" objects with the same normal map share one program; the
    // pick-ups, whose uniforms are not all set before each draw, keep theirs.
    std::map<std::string, std::set<GLuint>> programsByNormalMap;
    for (std::size_t i = 2; i + 3 < c.sceneObjects.size(); ++i) {
        const ShaderProgram& program = *c.sceneObjects[i]->shader;
        if (program.vertexPath == "Shader/default.vert") programsByNormalMap[program.extraName].insert(program.program);
    }
    EXPECT_GE(programsByNormalMap.size(), 5u);
    for (const auto& [normalMap, programs] : programsByNormalMap) EXPECT_EQ(programs.size(), 1u) << normalMap;
    const std::size_t n = c.sceneObjects.size();
    EXPECT_NE(c.sceneObjects[n - 1]->shader, c.sceneObjects[n - 2]->shader);
    while (glGetError() != GL_NO_ERROR) {
    }

    // The start pose of the game, flashlight on.
    c.camera.position = glm::vec3(2.92f, 1.2f, 0.262f);
    c.camera.horizontalAngle = -2.57f;
    c.camera.verticalAngle = -0.5f;
    c.camera.updateVectors();
    c.camera.playing = true;
    c.lights[0]->position = c.camera.position + 0.15f * c.camera.right - 0.05f * c.camera.up;
    c.lights[0]->direction = c.lights[0]->position - (c.camera.position + 5.0f * c.camera.direction);
    c.frustum.update(c.camera.position, c.camera.position + c.camera.direction, c.camera.up);
    renderFrame(c, game.assets.plainTexture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_GT(c.drawCounts.objects, 5u);
    EXPECT_GT(c.drawCounts.faces, 100u);

    c.camera.playing = false;
    c.transparency = true;
    c.wireframe = true;
    renderFrame(c, game.assets.plainTexture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
