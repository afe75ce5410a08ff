// Files the game cannot use: each image is refused with one line naming the
// file and leaves no GL error; a model naming one again does not retry it.
// And every program keeps "position" at location 0 for the shadow pass.
#include <filesystem>
#include <fstream>

#include <FreeImage.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include "render/Light.h"
#include "render/ShadowMap.h"
#include "scene/ModelLoader.h"
#include "scene/ShaderProgram.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"
#include "scene/World.h"
#include "tests/support/GlContext.h"

TEST(SceneFiles, RefusedImagesAreNamedOnceAndCastersKeepPositionAtZero) {
    murk::test::GlContext gl(16, 16);
    ASSERT_TRUE(gl.ok());
    // A folder of its own with the game's shaders (the cwd from here on), so no broken image lands in data/.
    const std::filesystem::path dir = MURK_BINARY_DIR "/texture-limits";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "Assets/Textures");
    std::filesystem::create_directory_symlink(MURK_DATA_DIR "/Shader", dir / "Shader");
    std::filesystem::current_path(dir);
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    for (const int width : {largest, largest + 1}) {
        FIBITMAP* image = FreeImage_Allocate(width, 1, 24);
        ASSERT_TRUE(FreeImage_Save(FIF_PNG, image, width > largest ? "Assets/Textures/wide.png" : "Assets/Textures/edge.png"));
        FreeImage_Unload(image);
    }
    std::ofstream("Assets/Textures/empty.png");
    const char* const rows[][2] = {  // name, the start of the one line printed ("" for none)
        {"art/edge.png", ""}, {"art/wide.png", "texture too large: Assets/Textures/wide.png"},
        {"art\\empty.png", "cannot read image: Assets/Textures/empty.png"}, {"gone.png", "texture not found: Assets/Textures/gone.png"}};
    for (const auto [name, said] : rows) {
        SCOPED_TRACE(name);
        Texture texture;
        testing::internal::CaptureStdout();
        EXPECT_EQ(texture.load(name, 0, "RGB"), !*said);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(*said ? out.rfind(said, 0) == 0 && std::count(out.begin(), out.end(), '\n') == 1 : out.empty()) << out;
        EXPECT_TRUE((texture.id == Texture::noImage) == (*said != '\0') && glGetError() == GL_NO_ERROR);
    }

    // A model naming the empty image, loaded twice: still one line.
    std::ofstream("one.mtl") << "newmtl broken\nmap_Kd empty.png\n";
    std::ofstream("one.obj") << "mtllib one.mtl\nusemtl broken\nv 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n";
    World world(glm::vec3(0.0f));
    std::vector<murk::SceneObject*> objects;
    ModelLoader loader(world, objects);
    testing::internal::CaptureStdout();
    for (int pass = 0; pass < 2; ++pass) loader.loadModel("one.obj", "default", "none", 0.0f, false, "");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(out.find("cannot read image: ") != std::string::npos && out.find("cannot read") == out.rfind("cannot read")) << out;
    EXPECT_EQ(objects.size(), 2u);
    for (murk::SceneObject* object : objects) delete object;

    // "uv" comes first, so the linker alone would not put "position" at 0.
    std::ofstream("caster.vert") << "#version 330 core\nin vec2 uv;\nin vec3 position;\nout vec2 t;\nuniform mat4 mvpMatrix;\n"
                                    "void main() { t = uv; gl_Position = mvpMatrix * vec4(position, 1.0); }\n";
    std::ofstream("caster.frag") << "#version 330 core\nin vec2 t;\nout vec4 fragColor;\nvoid main() { fragColor = vec4(t, 0.0, 1.0); }\n";
    ShaderProgram program("caster.vert", "caster.frag");
    // A wall 5 ahead of a light at the origin that shines down -z; read as
    // positions, its uvs would cover only the upper right quarter of the map.
    murk::QuadObject wall(glm::scale(glm::translate(glm::mat4(1.0f), {0, 0, -5}), {50, 50, 1}), &program, nullptr);
    Light light({0, 0, 0}, {1, 1, 1}, {0, 0, 1}, 0.9f,
                new ShadowMap(64, 64, GL_RG32F, GL_RG, GL_FLOAT, 3, "varianceShadowMapping", "gaussian"), 1.0f);
    renderShadowDepth(light, {0, 1, 0}, {nullptr, nullptr, &wall, nullptr, nullptr, nullptr});  // only the third casts
    std::vector<float> moments(64 * 64 * 2);
    glBindTexture(GL_TEXTURE_2D, light.shadowMap->getMomentsTexture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RG, GL_FLOAT, moments.data());
    EXPECT_NEAR(moments[(16 * 64 + 16) * 2], 5.0f / 20.0f, 1e-4f);  // depth over the far plane; 1 is empty
}
