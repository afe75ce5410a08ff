#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "render/FrameRenderer.h"
#include "render/Light.h"
#include "render/PostProcess.h"
#include "render/ShaderProgram.h"
#include "scene/Material.h"
#include "tests/frame/FrameTestScene.h"

using namespace frametest;

namespace {

// The camera stands at (0, 1.2, 0) looking down -z.
const Box inFront{{0.0f, 1.2f, -3.0f}, {0.3f, 0.3f, 0.3f}};
const Box behind{{0.0f, 1.2f, 3.0f}, {0.3f, 0.3f, 0.3f}};

float uniformFloat(const murk::SceneObject& object, const char* name) {
    float value = -123.0f;
    glGetUniformfv(object.shader->program, glGetUniformLocation(object.shader->program, name), &value);
    return value;
}

int uniformInt(const murk::SceneObject& object, const char* name) {
    int value = -123;
    glGetUniformiv(object.shader->program, glGetUniformLocation(object.shader->program, name), &value);
    return value;
}

glm::vec3 uniformVec3(const murk::SceneObject& object, const char* name) {
    glm::vec3 value(-123.0f);
    glGetUniformfv(object.shader->program, glGetUniformLocation(object.shader->program, name),
                   glm::value_ptr(value));
    return value;
}

glm::mat4 uniformMat4(const murk::SceneObject& object, const char* name) {
    glm::mat4 value(-123.0f);
    glGetUniformfv(object.shader->program, glGetUniformLocation(object.shader->program, name),
                   glm::value_ptr(value));
    return value;
}

bool near(const glm::mat4& a, const glm::mat4& b, float tolerance = 1e-5f) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            if (std::abs(a[c][r] - b[c][r]) > tolerance) return false;
        }
    }
    return true;
}

}  // namespace

// Ten objects: 0 never drawn, 1 the held light (rim), 2..6 the opaque loop
// (2..5 behind the camera, 6 the last of the loop in front), 7..9 pick-ups.
class FrameRender : public ::testing::Test {
protected:
    void SetUp() override {
        if (!game.gl.ok()) GTEST_SKIP() << "no GL context";
        probes = makeProbeScene(game.context,
                                {"default", "rim", "default", "default", "default", "default", "default",
                                 "energy", "energy", "energy"},
                                {inFront, inFront, behind, behind, behind, behind, inFront, behind, behind, behind});
        GameContext& c = game.context;
        c.camera.playing = true;
        c.frustum.update(c.camera.position, c.camera.position + c.camera.direction, c.camera.up);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    void frame() {
        probes->log.clear();
        renderFrame(game.context, game.assets.plainTexture);
    }

    ScratchDir dir;
    TestGame game{(dir.path / "none.txt").string()};
    std::unique_ptr<ProbeScene> probes;
};

TEST_F(FrameRender, LoopsSkipObjectZeroAndCullOnlyBeyondIndexFour) {
    frame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // 2..4 are behind the camera but never culled; 5 is culled.
    EXPECT_EQ(drawOrder(*probes, game.context), (std::vector<std::size_t>{1, 2, 3, 4, 6, 7, 8, 9}));
    const DrawCounts& counts = game.context.drawCounts;
    EXPECT_EQ(counts.objects, 8u);
    EXPECT_EQ(counts.faces, 8u * 12u);
    EXPECT_EQ(counts.vertices, 8u * 8u);

    game.context.frustum.enabled = false;
    frame();
    EXPECT_EQ(drawOrder(*probes, game.context), (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(game.context.drawCounts.objects, 9u);
}

TEST_F(FrameRender, LastObjectOfTheLoopIsDrawnFromBothSides) {
    frame();
    for (const DrawRecord& draw : sceneDraws(*probes, game.context)) {
        EXPECT_EQ(draw.cullFace, draw.index != 6) << draw.index;
        EXPECT_FALSE(draw.blend) << draw.index;
        EXPECT_TRUE(draw.depthWrites) << draw.index;
    }
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(FrameRender, ShadowCastersAreObjectsTwoToNMinusFour) {
    frame();
    std::vector<std::size_t> shadowDraws;
    for (const DrawRecord& record : probes->log) {
        if (record.framebuffer != static_cast<GLint>(game.context.postProcess->sceneFramebuffer)) {
            shadowDraws.push_back(record.index);
        }
    }
    EXPECT_EQ(shadowDraws, (std::vector<std::size_t>{2, 3, 4, 5, 6, 2, 3, 4, 5, 6}));
}

TEST_F(FrameRender, TranslucentObjectsWaitForTheTransparentPass) {
    GameContext& c = game.context;
    probes->objects[3]->material->opacity = 0.5f;
    probes->objects[3]->minZ = -3.3f;  // now in view
    probes->objects[3]->maxZ = -2.7f;

    frame();  // transparency off: drawn in place, as opaque
    EXPECT_EQ(drawOrder(*probes, c), (std::vector<std::size_t>{1, 2, 3, 4, 6, 7, 8, 9}));
    EXPECT_FLOAT_EQ(uniformFloat(*probes->objects[3], "opacity"), 1.0f);

    c.transparency = true;
    frame();
    EXPECT_EQ(drawOrder(*probes, c), (std::vector<std::size_t>{1, 2, 4, 6, 7, 8, 9, 3}));
    const DrawRecord* late = findDraw(*probes, c, 3);
    ASSERT_NE(late, nullptr);
    EXPECT_TRUE(late->blend);
    EXPECT_FALSE(late->depthWrites);
    EXPECT_FALSE(late->cullFace);
    EXPECT_FLOAT_EQ(uniformFloat(*probes->objects[3], "opacity"), 0.5f);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    EXPECT_EQ(c.drawCounts.objects, 8u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameRender, DeferredObjectsAreCulledByTheFrustumAlone) {
    GameContext& c = game.context;
    probes->objects[3]->material->opacity = 0.5f;  // index 3, behind the camera
    c.transparency = true;
    frame();
    EXPECT_EQ(drawOrder(*probes, c), (std::vector<std::size_t>{1, 2, 4, 6, 7, 8, 9}));
    c.frustum.enabled = false;
    frame();
    EXPECT_EQ(drawOrder(*probes, c), (std::vector<std::size_t>{1, 2, 4, 5, 6, 7, 8, 9, 3}));
}

TEST_F(FrameRender, EnergyOrbsGetTheirOwnTranslucentSet) {
    GameContext& c = game.context;
    // Object 6 becomes a translucent orb.
    probes->programs[6] = std::make_unique<ShaderProgram>("Shader/energy.vert", "Shader/energy.frag");
    probes->objects[6]->shader = probes->programs[6].get();
    c.uniformTable = buildUniformTable(c.sceneObjects);
    probes->objects[6]->material->opacity = 0.4f;
    c.transparency = true;
    frame();
    EXPECT_EQ(drawOrder(*probes, c).back(), 6u);
    EXPECT_FLOAT_EQ(uniformFloat(*probes->objects[6], "opacity"), 0.1f);
    EXPECT_EQ(uniformVec3(*probes->objects[6], "lightLocation"), c.lights[0]->position);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameRender, UnknownProgramsDrawWithWhatIsCurrent) {
    GameContext& c = game.context;
    probes->programs[2] = std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag");
    probes->objects[2]->shader = probes->programs[2].get();
    c.uniformTable = buildUniformTable(c.sceneObjects);
    frame();
    const DrawRecord* draw = findDraw(*probes, c, 2);
    ASSERT_NE(draw, nullptr);
    EXPECT_EQ(draw->program, static_cast<GLint>(probes->objects[1]->shader->program));
}

TEST_F(FrameRender, DefaultAndRimSetsCarryTheFrameState) {
    GameContext& c = game.context;
    c.camera.lightIntensity = 0.4f;
    c.lights[0]->position = glm::vec3(0.15f, 1.15f, 0.0f);
    c.lights[0]->direction = glm::vec3(0.0f, 0.0f, 5.0f);
    frame();
    const murk::SceneObject& wall = *probes->objects[6];
    EXPECT_FLOAT_EQ(uniformFloat(wall, "ambientFactor"), 0.2f);
    EXPECT_FLOAT_EQ(uniformFloat(wall, "shininess"), 0.5f);
    EXPECT_FLOAT_EQ(uniformFloat(wall, "opacity"), 1.0f);
    EXPECT_EQ(uniformInt(wall, "nmType"), -1);
    EXPECT_EQ(uniformInt(wall, "diffuseTexture"), 3);
    EXPECT_EQ(uniformInt(wall, "shadowMap_0"), 5);
    EXPECT_EQ(uniformInt(wall, "shadowMap_1"), 6);
    EXPECT_EQ(uniformInt(wall, "wireframe"), 0);
    EXPECT_EQ(uniformVec3(wall, "lightLocation_0"), c.lights[0]->position);
    EXPECT_EQ(uniformVec3(wall, "spotDir_0"), c.lights[0]->direction);
    EXPECT_EQ(uniformVec3(wall, "lightLocation_1"), glm::vec3(-3.8f, 3.0f, -7.5f));
    EXPECT_FLOAT_EQ(uniformFloat(wall, "spotCutOff_0"), 0.95f);
    EXPECT_FLOAT_EQ(uniformFloat(wall, "spotCutOff_1"), 0.85f);
    EXPECT_EQ(uniformVec3(wall, "cameraLocation"), c.camera.position);

    const FrameMatrices m = frameMatrices(c);
    EXPECT_TRUE(near(uniformMat4(wall, "mvpMatrix"), m.projection * m.view));
    EXPECT_TRUE(near(uniformMat4(wall, "shadowTexMatrix_0"), m.bias * m.lightProjection * m.flashlightView));
    // bias maps clip space onto 0..1.
    EXPECT_EQ(m.bias * glm::vec4(-1.0f, 1.0f, 0.0f, 1.0f), glm::vec4(0.0f, 1.0f, 0.5f, 1.0f));

    const murk::SceneObject& held = *probes->objects[1];
    EXPECT_FLOAT_EQ(uniformFloat(held, "I"), 0.4f);
    EXPECT_FLOAT_EQ(uniformFloat(held, "ambient"), 0.2f);
    EXPECT_EQ(uniformInt(held, "diffuseTexture"), 3);

    const murk::SceneObject& pickup = *probes->objects[8];
    EXPECT_EQ(uniformVec3(pickup, "lightLocation"), c.lights[0]->position);
    EXPECT_FLOAT_EQ(uniformFloat(pickup, "opacity"), 1.0f);
}

TEST_F(FrameRender, HeldLightAndCollectedPickupsFollowTheCamera) {
    GameContext& c = game.context;
    c.collectedPickups = {2, 0};
    c.swingA = 0.5f;
    c.swingB = -0.25f;
    c.swingC = 1.0f;
    frame();
    const FrameMatrices m = frameMatrices(c);
    const glm::mat4 held = probes->objects[1]->modelMatrix;
    EXPECT_TRUE(near(held, heldLightMatrix(c.camera, m.view)));
    // 0.2 ahead, 0.12 below, 0.15 to the right of the eye.
    const glm::vec3 expectedHeld = c.camera.position + 0.2f * c.camera.direction - 0.12f * c.camera.up +
                                   0.15f * c.camera.right;
    EXPECT_LT(glm::length(glm::vec3(held[3]) - expectedHeld), 1e-4f);

    EXPECT_TRUE(near(probes->objects[9]->modelMatrix, collectedPickupMatrix(c.camera, m.view, 0, 0.5f, -0.25f, 1.0f)));
    EXPECT_TRUE(near(probes->objects[7]->modelMatrix, collectedPickupMatrix(c.camera, m.view, 1, 0.5f, -0.25f, 1.0f)));
    EXPECT_EQ(probes->objects[8]->modelMatrix, glm::mat4(1.0f));  // not collected: stays put
    EXPECT_LT(glm::distance(glm::vec3(probes->objects[9]->modelMatrix[3]), c.camera.position), 0.35f);
}

TEST_F(FrameRender, WireframeShowsTheSceneImageAndLeavesLinesForTheNextFrame) {
    GameContext& c = game.context;
    c.wireframe = true;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    frame();
    GLint bound = 0;
    glActiveTexture(GL_TEXTURE7);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), c.postProcess->getSceneTexture());
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);

    c.camera.playing = false;  // a menu: no HUD, so fill stays
    frame();
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(FrameLayoutRule, LoopsStayInsideTheList) {
    FrameLayout l = frameLayout(10);
    EXPECT_EQ(l.opaqueBegin, 1u);
    EXPECT_EQ(l.opaqueEnd, 7u);  // 1..6 = n - 4
    EXPECT_EQ(l.pickupBegin, 7u);
    EXPECT_EQ(l.pickupEnd, 10u);
    l = frameLayout(5);
    EXPECT_EQ(l.opaqueEnd, 2u);
    EXPECT_EQ(l.pickupBegin, 2u);
    for (std::size_t n = 0; n < 5; ++n) {
        l = frameLayout(n);
        EXPECT_EQ(l.pickupBegin, l.pickupEnd) << n;
        EXPECT_LE(l.opaqueEnd, std::max<std::size_t>(n, 1)) << n;
    }
}
