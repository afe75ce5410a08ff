// Shader programs: the fatal paths as child processes, the "fragColor"
// binding, and the uniform location table.
#include <glm/mat4x4.hpp>
#include <gtest/gtest.h>

#include "render/ShaderProgram.h"
#include "render/UniformTable.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "tests/scene/Offscreen.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

namespace {

using murk::test::runProcess;

bool hasLine(const std::string& output, const std::string& line) {
    const std::string text = "\n" + output;
    return text.find("\n" + line + "\n") != std::string::npos;
}

// The line after `line`, or "" when there is none.
std::string lineAfter(const std::string& output, const std::string& line) {
    const std::size_t at = output.find(line + "\n");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + line.size() + 1;
    return output.substr(start, output.find('\n', start) - start);
}

murk::test::ProcessResult probe(const std::string& vert, const std::string& frag) {
    // A fatal error leaves the driver's memory to the exit; in sanitizer
    // builds that must not turn into a leak report and another status.
    return runProcess({SHADER_PROBE, vert, frag}, SHADER_DIR, 60, {"ASAN_OPTIONS=detect_leaks=0"});
}

TEST(ShaderFatal, GoodProgramLinks) {
    const auto result = probe(SHADER_DIR "pass.vert", SHADER_DIR "red.frag");
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_TRUE(hasLine(result.output, "linked " SHADER_DIR "pass.vert")) << result.output;
}

TEST(ShaderFatal, MissingFileEndsWithStatus255WithoutWaiting) {
    const std::pair<const char*, const char*> missing[] = {
        {SHADER_DIR "nothere.vert", SHADER_DIR "red.frag"},
        {SHADER_DIR "pass.vert", SHADER_DIR "nothere.frag"}};
    for (const auto& [vert, frag] : missing) {
        const auto result = probe(vert, frag);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitStatus, 255) << result.output;
        EXPECT_TRUE(hasLine(result.output, "shader-file konnte nicht geöffnet werden"))
            << result.output;
        EXPECT_EQ(result.output.find("linked"), std::string::npos);
        // The file name is not part of the message.
        EXPECT_EQ(result.output.find("nothere"), std::string::npos) << result.output;
    }
}

TEST(ShaderFatal, CompileErrorPrintsTheLogOnTheNextLine) {
    const auto result = probe(SHADER_DIR "pass.vert", SHADER_DIR "broken.frag");
    EXPECT_EQ(result.exitStatus, 255) << result.output;
    ASSERT_TRUE(hasLine(result.output, "compile fehler")) << result.output;
    EXPECT_NE(lineAfter(result.output, "compile fehler").find("error"), std::string::npos)
        << result.output;
}

TEST(ShaderFatal, LinkErrorPrintsTheProgramLog) {
    const auto result = probe(SHADER_DIR "nomain.vert", SHADER_DIR "red.frag");
    EXPECT_EQ(result.exitStatus, 255) << result.output;
    ASSERT_TRUE(hasLine(result.output, "fehler beim linken")) << result.output;
    EXPECT_FALSE(lineAfter(result.output, "fehler beim linken").empty()) << result.output;
}

class ShaderGl : public ::testing::Test {
protected:
    murk::test::GlContext gl{32, 32};
};

TEST_F(ShaderGl, FragColorIsOutputZero) {
    ASSERT_TRUE(gl.ok());
    ShaderProgram program(SHADER_DIR "pass.vert", SHADER_DIR "twoOutputs.frag");
    EXPECT_EQ(glGetFragDataLocation(program.program, "fragColor"), 0);
    EXPECT_EQ(program.vertexPath, SHADER_DIR "pass.vert");
    EXPECT_TRUE(program.extraName.empty());

    murk::test::Offscreen target(32, 32);
    ASSERT_TRUE(target.complete());
    Material empty;
    murk::QuadObject quad(glm::mat4(1.0f), &program, &empty);
    program.use();
    quad.draw();
    const auto pixels = target.read();
    // Blue is fragColor, green the decoy.
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[1], 0);
    EXPECT_EQ(pixels[2], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderGl, ExtraNameIsKeptAndProgramsAreNeverShared) {
    ASSERT_TRUE(gl.ok());
    ShaderProgram first(SHADER_DIR "pass.vert", SHADER_DIR "red.frag", "brick_normal.png");
    ShaderProgram second(SHADER_DIR "pass.vert", SHADER_DIR "red.frag");
    EXPECT_EQ(first.extraName, "brick_normal.png");
    EXPECT_NE(first.program, second.program);
    EXPECT_NE(first.vertexShader, second.vertexShader);
    EXPECT_TRUE(glIsProgram(first.program));
    EXPECT_TRUE(glIsShader(first.fragmentShader));
}

TEST_F(ShaderGl, UniformTableHasOneRowPerObjectInOrder) {
    ASSERT_TRUE(gl.ok());
    ShaderProgram plain(SHADER_DIR "pass.vert", SHADER_DIR "red.frag");
    ShaderProgram lit(SHADER_DIR "pass.vert", SHADER_DIR "uniforms.frag");
    Material material;
    murk::SceneObject a(glm::mat4(1.0f), &plain, &material);
    murk::SceneObject b(glm::mat4(1.0f), &lit, &material);
    murk::SceneObject c(glm::mat4(1.0f), &plain, &material);

    const UniformTable table = buildUniformTable({&a, &b, &c});
    ASSERT_EQ(table.rows(), 3u);
    for (const auto* column : {&table.diffuseTexture, &table.normalTexture,
                               &table.cameraLocation, &table.modelMatrix, &table.normalMatrix,
                               &table.mvpMatrix, &table.lightLocation, &table.I,
                               &table.shininess, &table.ambientFactor, &table.opacity,
                               &table.wireframe, &table.damage}) {
        ASSERT_EQ(column->size(), 3u);
        EXPECT_EQ((*column)[0], -1);
        EXPECT_EQ((*column)[2], -1);
    }
    EXPECT_EQ(table.opacity[1], glGetUniformLocation(lit.program, "opacity"));
    EXPECT_NE(table.opacity[1], -1);
    EXPECT_NE(table.cameraLocation[1], -1);
    EXPECT_NE(table.diffuseTexture[1], -1);
    EXPECT_EQ(table.modelMatrix[1], -1);
}

}  // namespace
