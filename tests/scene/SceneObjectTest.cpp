// Scene objects and quads: what is uploaded, what is connected, what draws.
#include <glm/mat4x4.hpp>
#include <gtest/gtest.h>

#include "render/ShaderProgram.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "tests/scene/Offscreen.h"
#include "tests/scene/TestFiles.h"
#include "tests/support/GlContext.h"

namespace {

class SceneObjectTest : public ::testing::Test {
protected:
    murk::test::GlContext gl{24, 16};
    murk::test::TempWorkDir dir;
    Material material;

    bool enabled(const murk::SceneObject& object, const char* attribute) {
        const GLint location = glGetAttribLocation(object.shader->program, attribute);
        if (location < 0) {
            return false;
        }
        glBindVertexArray(object.vertexArray);
        GLint on = 0;
        glGetVertexAttribiv(static_cast<GLuint>(location), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &on);
        glBindVertexArray(0);
        return on != 0;
    }

    static int litPixels(const std::vector<std::uint8_t>& pixels) {
        int lit = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            lit += pixels[i] == 255 && pixels[i + 1] == 255 && pixels[i + 2] == 255 ? 1 : 0;
        }
        return lit;
    }
};

TEST_F(SceneObjectTest, QuadFillsTheViewportExactly) {
    ASSERT_TRUE(gl.ok());
    ShaderProgram program("Shader/pass.vert", "Shader/pass.frag");
    murk::QuadObject quad(glm::mat4(1.0f), &program, &material);
    EXPECT_EQ(quad.vertexCount, 4);
    EXPECT_EQ(quad.indexCount, 6);
    EXPECT_TRUE(quad.normals.empty());
    EXPECT_TRUE(quad.tangents.empty());
    EXPECT_EQ(quad.normalBuffer, 0u);
    EXPECT_NE(quad.uvBuffer, 0u);

    murk::test::Offscreen target(24, 16);
    ASSERT_TRUE(target.complete());
    glEnable(GL_CULL_FACE);  // the game culls back faces: the quad must face +z
    program.use();
    quad.draw();
    glDisable(GL_CULL_FACE);
    EXPECT_EQ(litPixels(target.read()), 24 * 16);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// One triangle larger than the screen, with normals, uvs and tangents, drawn
// by a program that reads only position and uv.
TEST_F(SceneObjectTest, ProgramWithoutNormalInputStillDraws) {
    ASSERT_TRUE(gl.ok());
    ShaderProgram program("Shader/pass.vert", "Shader/pass.frag");
    murk::SceneObject object(glm::mat4(1.0f), &program, &material);
    object.positions = {-1, -1, 0, 3, -1, 0, -1, 3, 0};
    object.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    object.uvs = {0, 0, 2, 0, 0, 2};
    object.tangents = {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1};
    object.indices = {0, 1, 2};
    object.vertexCount = 3;
    object.indexCount = 3;
    object.setupBuffers();

    EXPECT_NE(object.normalBuffer, 0u);
    EXPECT_NE(object.tangentBuffer, 0u);
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, object.normalBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 3 * 12);
    glBindBuffer(GL_ARRAY_BUFFER, object.tangentBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 3 * 16);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_TRUE(enabled(object, "position"));
    EXPECT_TRUE(enabled(object, "uv"));

    murk::test::Offscreen target(24, 16);
    program.use();
    object.draw();
    EXPECT_EQ(litPixels(target.read()), 24 * 16);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SceneObjectTest, MeshWithoutUvsHasNoUvOrTangentAttribute) {
    ASSERT_TRUE(gl.ok());
    ShaderProgram program("Shader/mesh.vert", "Shader/mesh.frag");
    murk::SceneObject object(glm::mat4(1.0f), &program, &material);
    object.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    object.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    object.indices = {0, 1, 2};
    object.vertexCount = 3;
    object.indexCount = 3;
    object.setupBuffers();
    EXPECT_NE(object.positionBuffer, 0u);
    EXPECT_NE(object.normalBuffer, 0u);
    EXPECT_NE(object.indexBuffer, 0u);
    EXPECT_EQ(object.uvBuffer, 0u);
    EXPECT_EQ(object.tangentBuffer, 0u);
    EXPECT_TRUE(enabled(object, "position"));
    EXPECT_TRUE(enabled(object, "normal"));
    EXPECT_FALSE(enabled(object, "uv"));
    EXPECT_FALSE(enabled(object, "tangent"));

    // The vertex array remembers its element buffer.
    glBindVertexArray(object.vertexArray);
    GLint elements = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    glBindVertexArray(0);
    EXPECT_EQ(static_cast<GLuint>(elements), object.indexBuffer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SceneObjectTest, StartValuesAndUpdate) {
    const glm::mat4 placed(2.0f);
    murk::SceneObject object(placed, nullptr, &material);
    EXPECT_EQ(object.modelMatrix, placed);
    EXPECT_EQ(object.material, &material);
    EXPECT_EQ(object.vertexCount, 0);
    EXPECT_EQ(object.getDamage(), 0.0f);
    EXPECT_EQ(object.minX, 1000.0f);
    EXPECT_EQ(object.maxX, -1000.0f);
    EXPECT_EQ(object.minZ, 1000.0f);
    EXPECT_EQ(object.maxZ, -1000.0f);
    object.update(0.016);
    object.update(-5.0);
    EXPECT_EQ(object.modelMatrix, placed);
    EXPECT_EQ(object.maxY, -1000.0f);
    EXPECT_EQ(object.vertexArray, 0u);
}

}  // namespace
