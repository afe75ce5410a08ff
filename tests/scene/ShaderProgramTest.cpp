// Every program keeps "position" at location 0, where the shadow pass reads
// it whatever the caster's own program declares first.
#include <filesystem>
#include <fstream>

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include "render/Light.h"
#include "render/ShadowMap.h"
#include "scene/SceneObject.h"
#include "scene/ShaderProgram.h"
#include "tests/support/GlContext.h"

static const std::string dir = MURK_BINARY_DIR "/shader-files/";

static void writeShaders() {
    std::filesystem::create_directories(dir);
    // "uv" comes first, so the linker alone would not put "position" at 0.
    std::ofstream(dir + "caster.vert") << "#version 330 core\nin vec2 uv;\nin vec3 position;\nout vec2 t;\n"
                                          "uniform mat4 mvpMatrix;\nvoid main() { t = uv; gl_Position = mvpMatrix * vec4(position, 1.0); }\n";
    std::ofstream(dir + "caster.frag") << "#version 330 core\nin vec2 t;\nout vec4 fragColor;\nvoid main() { fragColor = vec4(t, 0.0, 1.0); }\n";
}

TEST(ShaderFiles, CasterWhoseProgramDeclaresAnotherAttributeFirstCastsItsShadow) {
    murk::test::GlContext gl(16, 16);
    ASSERT_TRUE(gl.ok());
    writeShaders();
    ShaderProgram program(dir + "caster.vert", dir + "caster.frag");
    // A wall 5 ahead of a light at the origin that shines down -z; read as
    // positions, its uvs would cover only the upper right quarter of the map.
    const glm::mat4 model = glm::scale(glm::translate(glm::mat4(1.0f), {0, 0, -5}), {50, 50, 1});
    murk::QuadObject wall(model, &program, nullptr);
    Light light({0, 0, 0}, {1, 1, 1}, {0, 0, 1}, 0.9f,
                new ShadowMap(64, 64, GL_RG32F, GL_RG, GL_FLOAT, 3, "varianceShadowMapping", "gaussian"), 1.0f);
    // Of six objects only the third casts (not the unused one, the held light, the pick-ups).
    renderShadowDepth(light, {0, 1, 0}, {nullptr, nullptr, &wall, nullptr, nullptr, nullptr});
    std::vector<float> moments(64 * 64 * 2);
    glBindTexture(GL_TEXTURE_2D, light.shadowMap->getMomentsTexture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RG, GL_FLOAT, moments.data());
    EXPECT_NEAR(moments[(16 * 64 + 16) * 2], 5.0f / 20.0f, 1e-4f);  // depth over the far plane; 1 is empty
}
