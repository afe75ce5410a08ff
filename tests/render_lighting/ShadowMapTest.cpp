// Variance shadow maps: which objects cast, what the moments hold, how the
// separable blur spreads them, and the GL state the pass leaves behind.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <unistd.h>

#include "render/Light.h"
#include "render/ShaderProgram.h"
#include "render/ShadowMap.h"
#include "scene/SceneObject.h"
#include "tests/render_lighting/LightingTestSupport.h"
#include "tests/support/GlContext.h"

namespace {

using murk::test::kBlurWeights;

constexpr int kSize = 64;
constexpr float kFar = 20.0f;

class ShadowMapTest : public ::testing::Test {
protected:
    // One window for the whole suite: each test makes and frees its own GL objects.
    static void SetUpTestSuite() {
        // The programs load "Shader/..." from the game's working directory.
        ASSERT_EQ(chdir(MURK_DATA_DIR), 0);
        gl = new murk::test::GlContext(kSize, kSize);
    }
    static void TearDownTestSuite() {
        delete gl;
        gl = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(gl != nullptr && gl->ok());
        // The game's set-up switches these on for good.
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        casterProgram = std::make_unique<ShaderProgram>("Shader/varianceShadowMapping.vert",
                                                        "Shader/varianceShadowMapping.frag");
    }

    void TearDown() override {
        for (murk::SceneObject* object : objects) {
            delete object;
        }
    }

    // The light sits at the origin and shines down -z.
    std::unique_ptr<Light> makeLight(int width = kSize, int height = kSize) {
        auto* map = new ShadowMap(width, height, GL_RG32F, GL_RG, GL_FLOAT, 3,
                                  "varianceShadowMapping", "gaussian");
        return std::make_unique<Light>(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(0.0f, 0.0f, 1.0f),
                                       0.9f, map, 1.0f);
    }

    // A rectangle facing the light at the given distance.
    murk::SceneObject* rectangle(float x0, float y0, float x1, float y1, float distance) {
        auto* object = murk::test::makeRectangle(
            casterProgram.get(), x0, y0, x1, y1,
            glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -distance)));
        objects.push_back(object);
        return object;
    }

    murk::SceneObject* wall(float distance) { return rectangle(-50, -50, 50, 50, distance); }

    std::vector<float> moments(GLuint texture, int width = kSize, int height = kSize) {
        return murk::test::readFloatTexture(texture, GL_RG, width, height);
    }

    static float at(const std::vector<float>& m, int x, int y, int channel, int width = kSize) {
        return m[static_cast<std::size_t>((y * width + x) * 2 + channel)];
    }

    static inline murk::test::GlContext* gl = nullptr;
    std::unique_ptr<ShaderProgram> casterProgram;
    std::vector<murk::SceneObject*> objects;
    const glm::vec3 up{0.0f, 1.0f, 0.0f};
};

TEST_F(ShadowMapTest, TargetsAreFloatMomentsAndDepthAtFullSizeOnlyAndComplete) {
    auto light = makeLight(64, 32);
    ShadowMap& map = *light->shadowMap;
    EXPECT_EQ(map.slot, 4);

    GLint format = 0;
    GLint levelOneWidth = -1;
    glBindTexture(GL_TEXTURE_2D, map.momentsTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
    EXPECT_EQ(format, GL_RG32F);
    EXPECT_EQ(levelOneWidth, 0);  // no mipmap chain: nothing reads one
    glBindTexture(GL_TEXTURE_2D, map.depthTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_DEPTH_COMPONENT32F);
    glBindTexture(GL_TEXTURE_2D, map.blurTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RG32F);

    for (GLuint framebuffer : {map.shadowFramebuffer, map.blurFramebuffer}) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShadowMapTest, PlaneAtKnownDistanceGivesDepthAndDepthSquared) {
    auto light = makeLight();
    std::vector<murk::SceneObject*> scene = {wall(1), wall(1), wall(5), wall(1), wall(1), wall(1)};
    // Only object 2 casts here (n = 6: objects 0, 1 and the pick-ups 3..5 do not).
    renderShadowDepth(*light, up, scene);
    const auto before = moments(light->shadowMap->momentsTexture);
    renderShadowPass(*light, up, scene);
    const auto after = moments(light->shadowMap->momentsTexture);

    const float depth = 5.0f / kFar;
    for (const auto* m : {&before, &after}) {
        for (int y = 0; y < kSize; y += 9) {
            for (int x = 0; x < kSize; x += 7) {
                EXPECT_NEAR(at(*m, x, y, 0), depth, 1e-5f) << x << "," << y;
                EXPECT_NEAR(at(*m, x, y, 1), depth * depth, 1e-5f) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShadowMapTest, CastersAreObjectsTwoToNMinusFourAndEmptyTexelsAreFar) {
    auto light = makeLight();
    // n = 7: objects 2 (left, at 5) and 3 = n - 4 (top right, at 6) cast; the
    // near walls at 0, 1 and 4..6 (held light, pick-ups) must not.
    std::vector<murk::SceneObject*> scene = {
        wall(1), wall(1), rectangle(-50, -50, 0, 50, 5), rectangle(0, 0, 50, 50, 6),
        wall(1), wall(1), wall(1)};
    renderShadowDepth(*light, up, scene);
    const auto m = moments(light->shadowMap->momentsTexture);

    EXPECT_NEAR(at(m, 10, 10, 0), 5.0f / kFar, 1e-5f);
    EXPECT_NEAR(at(m, 10, 50, 0), 5.0f / kFar, 1e-5f);
    EXPECT_NEAR(at(m, 50, 50, 0), 6.0f / kFar, 1e-5f);
    // Bottom right has no caster: as far as the light reaches.
    EXPECT_FLOAT_EQ(at(m, 50, 10, 0), 1.0f);
    EXPECT_FLOAT_EQ(at(m, 50, 10, 1), 1.0f);
}

TEST_F(ShadowMapTest, MeshesBuiltForTheScenesProgramsCastWithTheirPositions) {
    // The pass draws vertex arrays that were built for the objects' own
    // programs; their "position" must be where the depth program reads it.
    for (const char* name : {"default", "rim", "energy"}) {
        SCOPED_TRACE(name);
        auto light = makeLight();
        const std::string base = std::string("Shader/") + name;
        ShaderProgram program(base + ".vert", base + ".frag");
        const glm::mat4 model = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -3.0f));
        auto* caster = murk::test::makeRectangle(&program, -50, -50, 50, 50, model);
        objects.push_back(caster);
        std::vector<murk::SceneObject*> scene = {wall(1), wall(1), caster,
                                                 wall(1), wall(1), wall(1)};
        renderShadowDepth(*light, up, scene);
        const auto m = moments(light->shadowMap->momentsTexture);
        EXPECT_NEAR(at(m, 20, 40, 0), 3.0f / kFar, 1e-5f);
    }
}

TEST_F(ShadowMapTest, SlopedCasterWidensTheSecondMoment) {
    auto light = makeLight();
    // A plane turned 60 degrees about y, through the axis at distance 4.
    glm::mat4 model = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -4.0f));
    model = glm::rotate(model, 1.05f, glm::vec3(0.0f, 1.0f, 0.0f));
    auto* slope = murk::test::makeRectangle(casterProgram.get(), -3, -50, 3, 50, model);
    objects.push_back(slope);
    std::vector<murk::SceneObject*> scene = {wall(1), wall(1), slope, wall(1), wall(1), wall(1)};
    renderShadowDepth(*light, up, scene);
    const auto m = moments(light->shadowMap->momentsTexture);

    const float depth = at(m, 32, 32, 0);
    const float variance = at(m, 32, 32, 1) - depth * depth;
    EXPECT_NEAR(depth, 4.0f / kFar, 0.01f);
    // The bias is a quarter of the squared depth change across one texel.
    const float slopePerTexel = std::abs(at(m, 33, 32, 0) - depth);
    EXPECT_GT(variance, 0.1f * slopePerTexel * slopePerTexel);
    EXPECT_LT(variance, 1.0f * slopePerTexel * slopePerTexel);
}

TEST_F(ShadowMapTest, BlurTurnsAHardEdgeIntoARampInMomentsTexture) {
    auto light = makeLight();
    // The lower left quadrant of the view is near (2), the rest far (10).
    std::vector<murk::SceneObject*> scene = {
        wall(1), wall(1), rectangle(-50, -50, 0, 0, 2), wall(10), wall(1), wall(1), wall(1)};
    const float nearDepth = 2.0f / kFar;
    const float farDepth = 10.0f / kFar;
    ShadowMap& map = *light->shadowMap;

    renderShadowDepth(*light, up, scene);
    const auto sharp = moments(map.momentsTexture);
    EXPECT_NEAR(at(sharp, 31, 5, 0), nearDepth, 1e-5f);
    EXPECT_NEAR(at(sharp, 32, 5, 0), farDepth, 1e-5f);

    map.blurVertical();
    // The intermediate vertical pass: rows far from the horizontal edge keep
    // their step across x, columns far from the vertical edge get a ramp in y.
    const auto vertical = moments(map.blurTexture);
    EXPECT_NEAR(at(vertical, 31, 5, 0), nearDepth, 1e-5f);
    EXPECT_NEAR(at(vertical, 32, 5, 0), farDepth, 1e-5f);
    EXPECT_NEAR(at(vertical, 5, 31, 0),
                nearDepth + (farDepth - nearDepth) *
                                (kBlurWeights[1] + kBlurWeights[2] + kBlurWeights[3] +
                                 kBlurWeights[4]),
                1e-4f);

    map.blurHorizontal();
    const auto blurred = moments(map.momentsTexture);
    // Along a row: flat away from the edge, a symmetric strictly rising ramp
    // across the nine texels around it.
    EXPECT_NEAR(at(blurred, 27, 5, 0), nearDepth, 1e-5f);
    EXPECT_NEAR(at(blurred, 36, 5, 0), farDepth, 1e-5f);
    float expected = nearDepth;
    for (int x = 28; x <= 35; ++x) {
        expected += (farDepth - nearDepth) * kBlurWeights[std::abs(32 - x)];
        EXPECT_NEAR(at(blurred, x, 5, 0), expected, 1e-4f) << "x " << x;
        EXPECT_GT(at(blurred, x, 5, 0), at(blurred, x - 1, 5, 0)) << "x " << x;
    }
    // Across the edge the depths vary, so the blurred second moment carries
    // the variance the shadow test needs.
    const float mean = at(blurred, 31, 5, 0);
    EXPECT_GT(at(blurred, 31, 5, 1) - mean * mean, 0.01f);
    // The border does not wrap round to the opposite side.
    EXPECT_NEAR(at(blurred, 0, 5, 0), nearDepth, 1e-5f);
    EXPECT_NEAR(at(blurred, 63, 5, 0), farDepth, 1e-5f);
    EXPECT_NEAR(at(blurred, 5, 0, 0), nearDepth, 1e-5f);
    EXPECT_NEAR(at(blurred, 5, 63, 0), farDepth, 1e-5f);
}

TEST_F(ShadowMapTest, BlurStepIsOneTexelOfANonSquareMap) {
    constexpr int width = 96;
    constexpr int height = 48;
    auto light = makeLight(width, height);
    ShadowMap& map = *light->shadowMap;
    // One bright texel in an empty map.
    std::vector<float> impulse(static_cast<std::size_t>(width * height * 2), 0.0f);
    impulse[static_cast<std::size_t>((20 * width + 50) * 2)] = 1.0f;
    glBindTexture(GL_TEXTURE_2D, map.momentsTexture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RG, GL_FLOAT, impulse.data());

    map.blur();
    const auto m = moments(map.momentsTexture, width, height);
    for (int dy = -5; dy <= 5; ++dy) {
        for (int dx = -5; dx <= 5; ++dx) {
            const float wx = std::abs(dx) <= 4 ? kBlurWeights[std::abs(dx)] : 0.0f;
            const float wy = std::abs(dy) <= 4 ? kBlurWeights[std::abs(dy)] : 0.0f;
            EXPECT_NEAR(at(m, 50 + dx, 20 + dy, 0, width), wx * wy, 2e-4f)
                << dx << "," << dy;
        }
    }
}

TEST_F(ShadowMapTest, LampViewFollowsItsUpVector) {
    auto light = makeLight();
    std::vector<murk::SceneObject*> scene = {
        wall(1), wall(1), rectangle(-50, -50, 0, 0, 2), wall(10), wall(1), wall(1), wall(1)};
    // With world +x as up, world -y lies to the right of the view.
    renderShadowDepth(*light, glm::vec3(1.0f, 0.0f, 0.0f), scene);
    const auto m = moments(light->shadowMap->momentsTexture);
    EXPECT_NEAR(at(m, 48, 16, 0), 2.0f / kFar, 1e-5f);
    EXPECT_NEAR(at(m, 16, 16, 0), 10.0f / kFar, 1e-5f);
    EXPECT_NEAR(at(m, 48, 48, 0), 10.0f / kFar, 1e-5f);
}

TEST_F(ShadowMapTest, PassLeavesWindowFramebufferUnitZeroAndTheCallersModes) {
    auto light = makeLight();
    std::vector<murk::SceneObject*> scene = {wall(1), wall(1), wall(5), wall(1), wall(1), wall(1)};
    glActiveTexture(GL_TEXTURE7);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);  // wireframe mode's state
    renderShadowPass(*light, up, scene);

    GLint value = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    GLint mode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    // Even in line mode the map is filled and blurred everywhere.
    const auto m = moments(light->shadowMap->momentsTexture);
    EXPECT_NEAR(at(m, 32, 32, 0), 5.0f / kFar, 1e-5f);
    EXPECT_NEAR(at(m, 10, 40, 0), 5.0f / kFar, 1e-5f);
}

}  // namespace
