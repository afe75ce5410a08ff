// The model import end to end: objects, programs and materials per mesh,
// the texture caches, and the collision bodies handed to the physics world.
#include <algorithm>

#include <glm/vec3.hpp>
#include <gtest/gtest.h>

#include "physics/PhysicsWorld.h"
#include "render/ShaderProgram.h"
#include "scene/Material.h"
#include "scene/ModelLoader.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"
#include "scene/World.h"
#include "tests/scene/TestFiles.h"
#include "tests/support/GlContext.h"

namespace {

using murk::test::writeSolidImage;
using murk::test::writeText;

// Three quads, each its own object and material, side by side along x at
// x = 0, 3 and 6, raised 1 above the ground. The first two share a texture.
const char* const threeQuadsMtl =
    "newmtl left\nKd 1 0 0\nd 0.5\nmap_Kd art/shared.png\n"
    "newmtl middle\nKd 0 1 0\nmap_Kd art/shared.png\n"
    "newmtl right\nKd 0 0 1\nmap_Kd missing.jpg\n";

std::string quadObj(const char* mtl) {
    std::string text = std::string("mtllib ") + mtl + "\n";
    const char* names[] = {"left", "middle", "right"};
    for (int q = 0; q < 3; ++q) {
        const int x = 3 * q;
        for (int c = 0; c < 4; ++c) {
            text += "v " + std::to_string(x + (c == 1 || c == 2 ? 1 : 0)) + " " +
                    std::to_string(1 + (c >= 2 ? 1 : 0)) + " 0\n";
        }
    }
    text += "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n";
    for (int q = 0; q < 3; ++q) {
        const int b = 4 * q;
        text += std::string("o ") + names[q] + "\nusemtl " + names[q] + "\nf";
        for (int c = 0; c < 4; ++c) {
            text += " " + std::to_string(b + c + 1) + "/" + std::to_string(c + 1) + "/1";
        }
        text += "\n";
    }
    return text;
}

class ModelLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        writeText("quads.mtl", threeQuadsMtl);
        writeText("quads.obj", quadObj("quads.mtl"));
        ASSERT_TRUE(writeSolidImage("Assets/Textures/shared.png", FIF_PNG, 0x336699ffu));
        ASSERT_TRUE(writeSolidImage("Assets/Textures/bumps.png", FIF_PNG, 0x8080ffffu));
    }
    void TearDown() override {
        for (murk::SceneObject* object : objects) {
            delete object;
        }
    }

    // Runs loadModel and returns what it printed.
    std::string load(const std::string& file, const std::string& shape,
                     const std::string& normalMap = "", bool dynamic = false) {
        testing::internal::CaptureStdout();
        loader.loadModel(file, "mesh", shape, 2.0f, dynamic, normalMap);
        return testing::internal::GetCapturedStdout();
    }

    murk::test::GlContext gl{16, 16};
    murk::test::TempWorkDir dir;
    World world{glm::vec3(0.0f, 1.8f, 20.0f)};
    std::vector<murk::SceneObject*> objects;
    ModelLoader loader{world, objects};
};

TEST_F(ModelLoaderTest, EveryMeshBecomesItsOwnObjectInOrder) {
    const std::string printed = load("quads.obj", "none");
    EXPECT_EQ(printed.rfind("reading quads.obj\n", 0), 0u) << printed;
    ASSERT_EQ(objects.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const murk::SceneObject& object = *objects[static_cast<std::size_t>(i)];
        EXPECT_EQ(object.minX, 3.0f * static_cast<float>(i)) << i;
        EXPECT_EQ(object.maxY, 2.0f);
        EXPECT_EQ(object.vertexCount, 4);
        EXPECT_EQ(object.indexCount, 6);
        EXPECT_EQ(object.tangents.size(), 16u);
        EXPECT_EQ(object.modelMatrix, glm::mat4(1.0f));
        EXPECT_NE(object.vertexArray, 0u);
        EXPECT_NE(object.tangentBuffer, 0u);
        EXPECT_EQ(object.shader->vertexPath, "Shader/mesh.vert");
        EXPECT_TRUE(object.shader->extraName.empty());
    }
    EXPECT_NE(objects[0]->shader, objects[1]->shader);
    EXPECT_NE(objects[0]->shader->program, objects[1]->shader->program);
    EXPECT_NE(objects[1]->material, objects[2]->material);
    EXPECT_EQ(objects[0]->material->opacity, 0.5f);
    EXPECT_EQ(objects[1]->material->opacity, 1.0f);
    // Assimp keeps OBJ colours as float arrays, which stay zero.
    EXPECT_EQ(objects[0]->material->diffuse, glm::vec3(0.0f));
    EXPECT_EQ(world.physicsWorld->actors.size(), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ModelLoaderTest, SharedTexturesAreLoadedOnceAndFailuresAreTriedAgain) {
    const std::string printed = load("quads.obj", "none");
    const Material& left = *objects[0]->material;
    const Material& middle = *objects[1]->material;
    const Material& right = *objects[2]->material;
    ASSERT_NE(left.diffuseTexture, nullptr);
    EXPECT_NE(left.diffuseTexture->id, Texture::noImage);
    EXPECT_NE(left.diffuseTexture, middle.diffuseTexture);
    EXPECT_EQ(left.diffuseTexture->id, middle.diffuseTexture->id);
    EXPECT_EQ(right.diffuseTexture->id, Texture::noImage);
    EXPECT_EQ(world.diffuseTextureNames, std::vector<std::string>{"art/shared.png"});
    EXPECT_EQ(world.diffuseTextureIds, std::vector<GLuint>{left.diffuseTexture->id});
    // Diffuse textures do not advance the slot.
    EXPECT_EQ(world.nextTextureSlot, 0);

    // The missing texture is not cached, so the next model tries it again.
    load("quads.obj", "none");
    const std::string missing = "texture not found: Assets/Textures/missing.jpg\n";
    EXPECT_NE(printed.find(missing), std::string::npos) << printed;
    EXPECT_EQ(world.diffuseTextureNames.size(), 1u);
    EXPECT_EQ(objects[3]->material->diffuseTexture->id, left.diffuseTexture->id);
    EXPECT_EQ(objects[5]->material->diffuseTexture->id, Texture::noImage);
}

TEST_F(ModelLoaderTest, NormalMapsAreSharedAcrossLinesAndNameTheProgram) {
    load("quads.obj", "none", "maps/bumps.png");
    load("quads.obj", "none", "maps/bumps.png");
    ASSERT_EQ(objects.size(), 6u);
    const GLuint id = objects[0]->material->normalTexture->id;
    EXPECT_NE(id, Texture::noImage);
    for (const murk::SceneObject* object : objects) {
        EXPECT_EQ(object->material->normalTexture->id, id);
        EXPECT_EQ(object->shader->extraName, "maps/bumps.png");
    }
    EXPECT_EQ(world.normalTextureNames, std::vector<std::string>{"maps/bumps.png"});
    EXPECT_EQ(world.nextTextureSlot, 1);  // one load, one slot

    // No normal map: nothing is loaded and the texture is absent.
    load("quads.obj", "none");
    EXPECT_EQ(objects[6]->material->normalTexture->id, Texture::noImage);
    EXPECT_EQ(world.nextTextureSlot, 1);
}

TEST_F(ModelLoaderTest, ReleasingTheCacheDeletesItsTextures) {
    load("quads.obj", "none", "bumps.png");
    const GLuint diffuse = world.diffuseTextureIds.at(0);
    const GLuint normal = world.normalTextureIds.at(0);
    EXPECT_TRUE(glIsTexture(diffuse));
    world.releaseTextures();
    EXPECT_FALSE(glIsTexture(diffuse));
    EXPECT_FALSE(glIsTexture(normal));
    EXPECT_TRUE(world.diffuseTextureNames.empty());
    EXPECT_TRUE(world.normalTextureIds.empty());
}

TEST_F(ModelLoaderTest, UnreadableModelsAddNothing) {
    writeText("garbage.obj", "this is not a model\n\x01\x02\x03");
    const std::string printed = load("nothing_here.3ds", "box");
    EXPECT_EQ(printed.rfind("reading nothing_here.3ds\n", 0), 0u);
    EXPECT_NE(printed.find("Model-File kann nicht gelesen werden: nothing_here.3ds ("),
              std::string::npos)
        << printed;
    load("garbage.obj", "box");
    EXPECT_TRUE(objects.empty());
    EXPECT_TRUE(world.physicsWorld->actors.empty());
}

TEST_F(ModelLoaderTest, ShapeWordSelectsTheBodyAndPicksFollowItsOrder) {
    load("quads.obj", "box");
    EXPECT_EQ(world.physicsWorld->actors.size(), 3u);
    // Looking at the middle quad from in front picks the second body.
    EXPECT_EQ(world.physicsWorld->pick(glm::vec3(3.5f, 1.5f, 3.0f), glm::vec3(0.0f, 0.0f, -1.0f)),
              1);
    EXPECT_EQ(world.physicsWorld->pick(glm::vec3(6.5f, 1.5f, 3.0f), glm::vec3(0.0f, 0.0f, -1.0f)),
              2);

    load("quads.obj", "none");
    load("quads.obj", "sphere");
    EXPECT_EQ(world.physicsWorld->actors.size(), 3u);
    load("quads.obj", "mesh", "", true);
    EXPECT_EQ(world.physicsWorld->actors.size(), 6u);
    EXPECT_EQ(objects.size(), 12u);
}

}  // namespace
