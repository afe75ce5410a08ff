#include <gtest/gtest.h>

#include <GL/glew.h>

#include "app/FrameUpdate.h"
#include "app/GameContext.h"
#include "app/RulesHooks.h"
#include "physics/PhysicsWorld.h"
#include "platform/ScriptedInput.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"
#include "scene/World.h"
#include "tests/support/GlContext.h"
#include "RecordingSounds.h"

namespace {

GLint textureParameter(GLuint id, GLenum name) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// The playing frame's GL side: polygon mode and texture filters, with a real
// context, one textured object and the world's qualities.
class GlToggles : public ::testing::Test {
protected:
    // One window for the suite: opening one per test is slow under llvmpipe.
    static void SetUpTestSuite() { gl = new murk::test::GlContext(64, 64); }
    static void TearDownTestSuite() {
        delete gl;
        gl = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(gl->ok());
        RulesHookOptions options;
        options.sounds = &sounds;
        addRulesHooks(hooks, options);

        context.world = makeOwned<World>(glm::vec3(0.0f, 1.2f, 0.0f));
        context.physicsWorld = context.world->physicsWorld.get();
        const unsigned char pixels[16] = {};
        glGenTextures(1, &texture.id);
        glBindTexture(GL_TEXTURE_2D, texture.id);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        glGenerateMipmap(GL_TEXTURE_2D);
        material.diffuseTexture = &texture;
        object = std::make_unique<murk::SceneObject>(glm::mat4(1.0f), nullptr, &material);
        context.sceneObjects.push_back(object.get());

        context.camera.horizontalAngle = 0.0f;
        context.camera.verticalAngle = 0.0f;
        context.camera.updateVectors();
        context.camera.startPosition = glm::vec3(0.0f, 1.2f, 0.0f);
        input.cursorX = context.settings.width / 2;
        input.cursorY = context.settings.height / 2;
        startNewGame(context);
    }

    void TearDown() override {
        object.reset();
        if (texture.id != Texture::noImage) glDeleteTextures(1, &texture.id);
    }

    void frame() {
        updateFrame(context, input, hooks, 1.0 / 60.0);
        input.endFrame();
    }

    void pressAndRelease(int key) {
        input.press(key);
        frame();
        input.release(key);
        frame();
    }

    static murk::test::GlContext* gl;
    GameContext context;
    ScriptedInput input;
    FrameHooks hooks;
    RecordingSounds sounds;
    Texture texture;
    Material material;
    std::unique_ptr<murk::SceneObject> object;
};

murk::test::GlContext* GlToggles::gl = nullptr;

TEST_F(GlToggles, F3SwitchesPolygonModeInTheSameFrame) {
    GLint mode[2] = {};
    frame();
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    pressAndRelease(Key::F3);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    // Set every playing frame, whatever else changed it since.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    frame();
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlToggles, F4AndF5RefilterTheScenesTextures) {
    pressAndRelease(Key::F4);  // nearest sampling, linear mip-maps
    EXPECT_EQ(context.world->samplingQuality, 0);
    EXPECT_EQ(textureParameter(texture.id, GL_TEXTURE_MIN_FILTER), minifyingFilter(2, 0));
    EXPECT_EQ(textureParameter(texture.id, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    pressAndRelease(Key::F5);  // mip-maps off
    EXPECT_EQ(context.world->mipmapQuality, 0);
    EXPECT_EQ(textureParameter(texture.id, GL_TEXTURE_MIN_FILTER), minifyingFilter(0, 0));
    EXPECT_EQ(input.windowTitle.rfind("Murkhaven - TSQ: nearest; MMQ: off FC: on TP: off;; ", 0), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlToggles, PadPickRayShowsTheHitAfterTheCounts) {
    // A box two units ahead of the eye (the camera looks along +z).
    context.physicsWorld->addBox(false, glm::dvec3(0.0, 1.2, 2.5), glm::dvec3(0.5), 0.0f);
    input.padConnected = true;
    input.pad.bRightTrigger = 255;
    frame();
    const std::string tail = "; #objects: 0; hit objects: 0, ";
    ASSERT_GE(input.windowTitle.size(), tail.size());
    EXPECT_EQ(input.windowTitle.substr(input.windowTitle.size() - tail.size()), tail);
    input.pad.bRightTrigger = 0;
    frame();
    EXPECT_EQ(input.windowTitle.find("hit objects"), std::string::npos);
}

}  // namespace
