// Scene parts under a GL context: textures, scene objects, shader programs,
// the model loader with the collision bodies it builds, and the shipped level.
#include <array>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <FreeImage.h>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
#include <unistd.h>

#include "physics/PhysicsActor.h"
#include "physics/PhysicsWorld.h"
#include "scene/CookedImage.h"
#include "scene/ShaderProgram.h"
#include "scene/Material.h"
#include "scene/ModelLoader.h"
#include "scene/SceneFile.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"
#include "scene/World.h"
#include "tests/support/GlContext.h"

namespace {

namespace fs = std::filesystem;
std::string shader(const char* name) { return (fs::path(SCENE_TEST_DIR) / "Shader" / name).string(); }

// The 3x2 test image (odd width, so rows are padded): grey level and RGBA
// colour of pixel (x, y), y counted from the bottom.
int grey(int x, int y) { return (x + 3 * y) * 51; }
std::array<int, 4> colourAt(int x, int y) { return {grey(x, y), 255 - grey(x, y), 40 + 100 * y, 0x80 + x}; }

// bpp 8 (palette of greys), 16 (16-bit grey), 24 or 32.
bool writeImage(const std::string& path, FREE_IMAGE_FORMAT type, int bpp) {
    FIBITMAP* image = bpp == 16 ? FreeImage_AllocateT(FIT_UINT16, 3, 2) : FreeImage_Allocate(3, 2, bpp);
    for (int i = 0; bpp == 8 && i < 256; ++i) FreeImage_GetPalette(image)[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    for (unsigned at = 0, x = 0, y = 0; at < 6; ++at, x = at % 3, y = at / 3) {
        const auto c = colourAt(int(x), int(y));
        RGBQUAD q{BYTE(c[2]), BYTE(c[1]), BYTE(c[0]), BYTE(c[3])};  // red is the grey level
        if (bpp == 16) reinterpret_cast<std::uint16_t*>(FreeImage_GetScanLine(image, int(y)))[x] = std::uint16_t(c[0] * 257);
        if (bpp == 8) FreeImage_SetPixelIndex(image, x, y, &q.rgbRed);
        if (bpp >= 24) FreeImage_SetPixelColor(image, x, y, &q);
    }
    const bool saved = FreeImage_Save(type, image, path.c_str(), 0) != 0;
    FreeImage_Unload(image);
    return saved;
}

// Three cubes, each its own object and material: cube i spans x 3i..3i+1,
// y 1.5..2.5, z -1..0.5. The first two share a texture; the third's is missing.
void writeCubes() {
    std::ofstream("cubes.mtl") << "newmtl a\nd 0.5\nmap_Kd art/shared.png\nnewmtl b\nmap_Kd art/shared.png\nnewmtl c\nmap_Kd missing.png\n";
    std::ofstream obj("cubes.obj");
    obj << "mtllib cubes.mtl\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 8; ++c)
            obj << "v " << 3 * i + (c & 1) << (c & 2 ? " 2.5" : " 1.5") << (c & 4 ? " 0.5\n" : " -1\n");
        obj << "o " << "abc"[i] << "\nusemtl " << "abc"[i] << "\n"  // corner c is vertex c - 8
            << "f -8/1 -6/2 -5/3 -7/4\nf -4/1 -3/2 -1/3 -2/4\nf -8/1 -4/2 -2/3 -6/4\n"
            << "f -7/1 -5/2 -1/3 -3/4\nf -8/1 -7/2 -3/3 -4/4\nf -6/1 -2/2 -1/3 -5/4\n";
    }
}

// Runs in a fresh working directory laid out as the game's, with the cubes,
// their textures and this folder's shaders.
class SceneGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gl = new murk::test::GlContext(4, 4); }  // draws fill its 4x4 window
    static void TearDownTestSuite() { delete gl; }
    void SetUp() override {
        ASSERT_TRUE(gl->ok());
        std::string pattern = (fs::temp_directory_path() / "murk-scene-XXXXXX").string();
        root = mkdtemp(pattern.data());
        fs::create_directories(root / "Assets" / "Textures");
        fs::create_directory_symlink(shader(""), root / "Shader");
        fs::current_path(root);
        writeCubes();
        for (const std::string name : {"shared.png", "bumps.png", "other.png"})
            ASSERT_TRUE(writeImage("Assets/Textures/" + name, FIF_PNG, 24));
    }
    void TearDown() override {
        for (murk::SceneObject* object : objects) delete object;
        fs::current_path(previous);
        if (!root.empty()) fs::remove_all(root);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    void load(const char* shaderName, const char* shape, const char* normalMap = "", bool dynamic = false) {
        testing::internal::CaptureStdout();  // keeps the missing texture's message out of the log
        loader.loadModel("cubes.obj", shaderName, shape, 2.0f, dynamic, normalMap);
        testing::internal::GetCapturedStdout();
    }
    // RGBA bytes of the window, bottom row first, after a draw with the program.
    static std::vector<std::uint8_t> drawn(ShaderProgram& program, murk::SceneObject& object) {
        glClear(GL_COLOR_BUFFER_BIT);
        program.use();
        object.draw();
        std::vector<std::uint8_t> pixels(4 * 4 * 4);
        glReadPixels(0, 0, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    static inline murk::test::GlContext* gl = nullptr;
    fs::path previous = fs::current_path(), root;
    Material none;
    World world{glm::vec3(0.0f, 1.8f, 20.0f)};
    std::vector<murk::SceneObject*> objects;
    ModelLoader loader{world, objects};
};

TEST_F(SceneGl, ImagesOfEveryLayoutArriveAsRgbOrRgbaBottomRowFirst) {
    struct Row { const char* file; FREE_IMAGE_FORMAT type; int bpp; std::string format; };
    const Row rows[] = {{"rgba.png", FIF_PNG, 32, "RGB"}, {"rgba.png", FIF_PNG, 32, "RGBA"}, {"rgb.bmp", FIF_BMP, 24, "RGBA"},
                        {"grey.png", FIF_PNG, 8, "RGB"}, {"deep.png", FIF_PNG, 16, "RGB"},
                        {"shot.jpg", FIF_PNG, 24, "RGB"}};  // the content decides the type, not the name
    for (const Row& row : rows) {  // named with folders, only the base name counts
        const std::string name = (&row - rows < 3 ? "art\\stone/" : "C:/art\\") + std::string(row.file);
        SCOPED_TRACE(name + " as " + row.format);
        ASSERT_TRUE(writeImage("Assets/Textures/" + std::string(row.file), row.type, row.bpp));
        Texture texture;
        ASSERT_TRUE(texture.load(name, 0, row.format));
        std::vector<std::uint8_t> pixels(3 * 2 * 4), want;
        glBindTexture(GL_TEXTURE_2D, texture.id);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        for (int at = 0, g = grey(0, 0); at < 6; ++at, g = grey(at % 3, at / 3)) {
            std::array<int, 4> c = row.bpp < 24 ? std::array<int, 4>{g, g, g, 255} : colourAt(at % 3, at / 3);
            if (row.bpp != 32 || row.format == "RGB") c[3] = 255;
            want.insert(want.end(), c.begin(), c.end());
        }
        EXPECT_EQ(pixels, want);
        GLint smallest = 0;  // mipmaps down to 1x1
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &smallest);
        EXPECT_EQ(smallest, 1);
        glDeleteTextures(1, &texture.id);
    }
}

// Every level of a texture, as RGBA bytes.
std::vector<std::vector<std::uint8_t>> levelsOf(GLuint texture) {
    std::vector<std::vector<std::uint8_t>> levels;
    glBindTexture(GL_TEXTURE_2D, texture);
    for (GLint level = 0, w = 0, h = 0;; ++level) {
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        if (w == 0 || h == 0) return levels;
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, levels.emplace_back(4u * w * h).data());
    }
}

TEST_F(SceneGl, KeptLevelsComeBackAsTheDriverMadeThemAndOnlyForTheFileAndDriverTheyWereMadeFrom) {
    const auto loaded = [](const std::string& folder) {
        Texture texture;
        EXPECT_TRUE(texture.load("shared.png", 0, "RGB", folder));
        const auto levels = levelsOf(texture.id);
        glDeleteTextures(1, &texture.id);
        return levels;
    };
    const auto made = loaded("");
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(loaded("kept"), made);  // made and kept
    const std::string entry = cookedPath("kept", "Assets/Textures/shared.png", 3);
    ASSERT_TRUE(fs::is_regular_file(entry));
    const ImageLoads before = imageLoads();
    EXPECT_EQ(loaded("kept"), made);  // read back: not decoded, no mipmaps made, though 3x2
    const ImageLoads after = imageLoads();
    EXPECT_EQ(std::tuple(after.decoded, after.mipmapsMade, after.readBack),
              std::tuple(before.decoded, before.mipmapsMade, before.readBack + 1));
    CookedKey key;  // the same file from another driver: not used
    ASSERT_TRUE(cookedKey("Assets/Textures/shared.png", "another GL", key));
    ASSERT_TRUE(writeCookedImage(entry, key, CookedImage{3, {{1, 1, {9, 9, 9}}}}));
    EXPECT_EQ(loaded("kept"), made);
    ASSERT_TRUE(writeCookedImage(entry, {key.sourceSize, key.sourceHash, ""}, {}));  // wrong in every way
    EXPECT_EQ(loaded("kept"), made);
    fs::resize_file(entry, fs::file_size(entry) - 1);  // cut short
    EXPECT_EQ(loaded("kept"), made);
    EXPECT_EQ(loaded("cubes.obj/kept"), made);  // nowhere to keep it
    // Levels beyond this GL's largest texture, kept whole and checksummed: made again, with one line.
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    CookedImage huge{3, {}};
    for (int width = 2 * largest; width >= 1; width /= 2) huge.levels.push_back({width, 1, std::vector<unsigned char>(3u * width, 7)});
    ASSERT_TRUE(cookedKey("Assets/Textures/shared.png", textureMaker(), key));
    ASSERT_TRUE(writeCookedImage(entry, key, huge));
    testing::internal::CaptureStdout();
    EXPECT_EQ(loaded("kept"), made);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cache entry " + entry + " cannot be used (" + std::to_string(2 * largest) +
              "x1, where this GL takes at most " + std::to_string(largest) + "); made again from Assets/Textures/shared.png\n");
    // Changed in place to the same size and time, only a pixel differs: decoded again.
    ASSERT_TRUE(writeImage("Assets/Textures/shared.png", FIF_BMP, 24));
    const auto bmp = loaded("kept");
    const auto time = fs::last_write_time("Assets/Textures/shared.png");
    std::fstream("Assets/Textures/shared.png", std::ios::in | std::ios::out | std::ios::binary).seekp(54).put('\x11');
    fs::last_write_time("Assets/Textures/shared.png", time);
    const auto changed = loaded("kept");
    EXPECT_NE(changed, bmp);
    EXPECT_EQ(changed, loaded(""));
}

TEST_F(SceneGl, FiltersFollowTheQualitySettings) {
    Texture texture;
    ASSERT_TRUE(texture.load("shared.png", 0, "RGB"));
    const auto filters = [] {  // and the active unit
        GLint min = 0, mag = 0, unit = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
        return std::tuple(min, mag, unit);
    };
    EXPECT_EQ(filters(), std::tuple(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_TEXTURE0));  // as loaded: the world's start settings
    struct Row { int mipmap, sampling; GLint min, mag; };
    const Row rows[] = {{0, 0, GL_NEAREST, GL_NEAREST}, {0, 1, GL_LINEAR, GL_LINEAR}, {1, 0, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
        {1, 1, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR}, {2, 0, GL_LINEAR_MIPMAP_NEAREST, GL_NEAREST}, {2, 1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {7, 3, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR}, {-1, -2, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR}};  // out of range: the best
    for (const Row& row : rows) {
        glActiveTexture(GL_TEXTURE5);  // setFilter works on unit 0 whatever is active
        texture.setFilter(row.mipmap, row.sampling);
        EXPECT_EQ(filters(), std::tuple(row.min, row.mag, GL_TEXTURE0)) << row.mipmap << " " << row.sampling;
    }
    glDeleteTextures(1, &texture.id);
}

TEST_F(SceneGl, QuadCoversTheViewportFacingTheViewerWithUvsFromBottomLeft) {
    ShaderProgram pass(shader("pass.vert"), shader("pass.frag"));
    murk::QuadObject quad(glm::mat4(1.0f), &pass, &none);
    glEnable(GL_CULL_FACE);  // as the game draws
    const auto pixels = drawn(pass, quad);
    glDisable(GL_CULL_FACE);
    for (std::size_t at = 0; at < 16; ++at)  // colour (u, v, 1) at the pixel centres
        EXPECT_TRUE(std::abs(pixels[4 * at] - int(2 * (at % 4) + 1) * 255 / 8) <= 1 &&
                    std::abs(pixels[4 * at + 1] - int(2 * (at / 4) + 1) * 255 / 8) <= 1 && pixels[4 * at + 2] == 255) << at;
}

TEST_F(SceneGl, ObjectsFeedEachArrayToTheAttributeOfItsName) {
    ShaderProgram attributes(shader("default.vert"), shader("default.frag"));
    ShaderProgram pass(shader("pass.vert"), shader("pass.frag"));  // no normal, no tangent
    struct Row { ShaderProgram* program; bool uvs; std::array<int, 3> rgb; };
    const Row rows[] = {{&attributes, true, {255, 128, 64}} /* normal.z, uv.y, tangent.x */,
                        {&attributes, false, {255, 0, 0}} /* unconnected: the defaults */, {&pass, true, {0, 128, 255}}};
    for (const Row& row : rows) {
        murk::SceneObject object(glm::mat4(1.0f), row.program, &none);
        object.positions = {-1, -1, 0, 3, -1, 0, -1, 3, 0};  // covers the whole window
        object.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
        if (row.uvs) {
            object.uvs = {0, .5f, 0, .5f, 0, .5f};
            object.tangents = {.25f, 0, 0, 1, .25f, 0, 0, 1, .25f, 0, 0, 1};
        }
        object.indices = {0, 1, 2};
        object.vertexCount = object.indexCount = 3;
        object.setupBuffers();
        GLint uvOn = 0;  // no array, no attribute: it would read from nowhere
        glBindVertexArray(object.vertexArray);
        glGetVertexAttribiv(GLuint(glGetAttribLocation(row.program->program, "uv")), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &uvOn);
        const auto pixels = drawn(*row.program, object);
        EXPECT_TRUE((uvOn != 0) == row.uvs && std::abs(pixels[0] - row.rgb[0]) <= 1 && std::abs(pixels[1] - row.rgb[1]) <= 1 &&
                    std::abs(pixels[2] - row.rgb[2]) <= 1) << int(pixels[0]) << " " << int(pixels[1]) << " " << int(pixels[2]);
    }
}

TEST(ShaderProgram, FailuresEndTheGameWithTheDriversLog) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, with a GL context of its own
    const std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    setenv("ASAN_OPTIONS", (asan + ":detect_leaks=0").c_str(), 1);  // it exits holding the driver's memory
    const auto build = [](const char* vert, const char* frag) {
        murk::test::GlContext gl(16, 16);
        dup2(STDERR_FILENO, STDOUT_FILENO);  // the message goes to standard output
        ShaderProgram program(shader(vert), shader(frag));
    };
    EXPECT_EXIT(build("pass.vert", "broken.frag"), testing::ExitedWithCode(255), "compile fehler\n.*error");
    EXPECT_EXIT(build("nomain.vert", "pass.frag"), testing::ExitedWithCode(255), "fehler beim linken\n[^\n]");
}

TEST_F(SceneGl, FragColorIsOutputZeroAndDefinesMakeVariants) {
    ShaderProgram two(shader("pass.vert"), shader("twoOutputs.frag"));
    EXPECT_EQ(glGetFragDataLocation(two.program, "fragColor"), 0);
    // Each define line reaches both shaders, after their "#version" line.
    const std::pair<const char*, std::array<bool, 3>> rows[] = {
        {"", {false, false, false}}, {"#define MARK", {true, true, false}}, {"#define MARK\n#define MORE", {true, true, true}}};
    for (const auto& [defines, active] : rows) {
        ShaderProgram variant(shader("variant.vert"), shader("variant.frag"), "", defines);
        for (std::size_t u = 0; u < 3; ++u)
            EXPECT_EQ(glGetUniformLocation(variant.program, std::array{"vertexMark", "fragmentMark", "more"}[u]) != -1, active[u]) << defines << u;
    }
}

TEST_F(SceneGl, EveryMeshBecomesAnObjectWithItsBoundsMaterialTexturesAndBody) {
    load("pass", "box");
    ASSERT_EQ(objects.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const murk::SceneObject& o = *objects[i];
        const float x = 3.0f * float(i);
        EXPECT_EQ((std::array{o.minX, o.maxX, o.minY, o.maxY, o.minZ, o.maxZ, float(o.indexCount)}),
                  (std::array{x, x + 1, 1.5f, 2.5f, -1.0f, 0.5f, 36.0f})) << i;
        ASSERT_EQ(o.tangents.size(), 4u * std::size_t(o.vertexCount));
        for (std::size_t v = 0; v < std::size_t(o.vertexCount); ++v)  // tangents orthogonal to smoothed normals
            EXPECT_TRUE(std::abs(glm::length(glm::make_vec3(&o.normals[3 * v])) - 1.0f) < 1e-5f &&
                        std::abs(glm::dot(glm::make_vec3(&o.tangents[4 * v]), glm::make_vec3(&o.normals[3 * v]))) < 1e-5f) << v;
        EXPECT_TRUE(o.vertexArray != 0 && o.shader->vertexPath == "Shader/pass.vert") << i;
    }
    EXPECT_EQ(std::pair(objects[0]->material->opacity, objects[1]->material->opacity), std::pair(0.5f, 1.0f));
    const GLuint shared = objects[0]->material->diffuseTexture->id;
    EXPECT_TRUE(shared != Texture::noImage && objects[1]->material->diffuseTexture->id == shared &&
                objects[2]->material->diffuseTexture->id == Texture::noImage);
    // A file that failed is remembered as failed, so it is reported once.
    EXPECT_EQ(world.diffuseTextureNames, (std::vector<std::string>{"art/shared.png", "missing.png"}));
    EXPECT_EQ(world.diffuseTextureIds.back(), Texture::noImage);
    EXPECT_NE(objects[0]->shader, objects[1]->shader);  // only default and rim programs are shared

    load("pass", "none");
    const auto& actors = world.physicsWorld->actors;
    ASSERT_EQ(actors.size(), 3u);
    for (int i = 0; i < 3; ++i)  // a ray into each cube from in front picks its static box
        EXPECT_TRUE(world.physicsWorld->pick(glm::vec3(float(3 * i) + 0.5f, 2.0f, 5.0f), glm::vec3(0, 0, -1)) == i &&
                    !actors[std::size_t(i)]->dynamic && !actors[std::size_t(i)]->hull) << i;
    EXPECT_EQ(world.physicsWorld->pick(glm::vec3(2.0f, 2.0f, 5.0f), glm::vec3(0, 0, -1)), -1);
    load("pass", "mesh", "", true);
    ASSERT_EQ(actors.size(), 6u);
    for (std::size_t i = 3; i < 6; ++i)  // mass: density x volume
        EXPECT_TRUE(actors[i]->dynamic && actors[i]->hull && std::abs(1.0f / actors[i]->body->getInvMass() - 3.0f) < 0.01f) << i;
}

TEST_F(SceneGl, ModelsBeyondTheStartUpBudgetAreSkippedWithOneLine) {
    loader.importBudgetSeconds = 0.0;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 3; ++i) loader.loadModel("cubes.obj", "pass", "box", 1.0f, false, "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "model import over its 0 s budget: cubes.obj and the models after it are skipped\n");
    EXPECT_TRUE(objects.empty());
}

TEST_F(SceneGl, DefaultObjectsShareAProgramPerNormalMapAndNormalMapsLoadOnce) {
    const char* maps[] = {"maps/bumps.png", "other.png", "other.png", ""};
    for (const char* map : maps) load("default", "none", map);
    ASSERT_EQ(objects.size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) {  // alike within the lines of one normal map
        const murk::SceneObject &o = *objects[i], &first = *objects[i < 3 ? 0 : i < 9 ? 3 : 9];
        EXPECT_TRUE(o.shader == first.shader && o.shader->extraName == maps[i / 3] &&
                    o.material->normalTexture->id == first.material->normalTexture->id) << i;
    }
    EXPECT_TRUE(objects[0]->shader != objects[3]->shader && objects[3]->shader != objects[9]->shader);
    // One linked program under all of them: the driver compiles it once.
    EXPECT_TRUE(objects[0]->shader->program == objects[3]->shader->program &&
                objects[3]->shader->program == objects[9]->shader->program);
    const GLuint bumps = objects[0]->material->normalTexture->id, other = objects[3]->material->normalTexture->id;
    EXPECT_TRUE(bumps != Texture::noImage && other != Texture::noImage && bumps != other &&
                objects[9]->material->normalTexture->id == Texture::noImage);
    EXPECT_EQ(world.nextTextureSlot, 2);  // one slot per normal map
    const GLuint diffuse = objects[0]->material->diffuseTexture->id;
    world.releaseTextures();
    EXPECT_FALSE(glIsTexture(diffuse) || glIsTexture(bumps) || glIsTexture(other));
}

// The shipped level as the game loads it, in data/: catches a regenerated
// level naming a file the game cannot read, objects out of the order the
// renderer relies on, and shaders that no longer compile or link.
TEST(Level, LoadsWithoutReportsInTheOrderTheRendererExpects) {
    murk::test::GlContext gl(16, 16);
    ASSERT_TRUE(gl.ok());
    World world(glm::vec3(0.0f, 1.8f, 0.0f));
    std::vector<murk::SceneObject*> objects;
    ModelLoader loader(world, objects);
    std::ostringstream console;
    const SceneLines lines = readSceneFile("SCENE.txt", console);
    std::vector<std::size_t> lineOf;  // the scene line of each object
    testing::internal::CaptureStdout();
    for (std::size_t l = 0; l < lines.size(); lineOf.resize(objects.size(), l++))
        loader.loadModel(lines.modelFiles[l], lines.shaderNames[l], lines.physicsShapes[l], lines.densities[l], lines.dynamics[l], lines.normalMaps[l]);
    std::istringstream printed(console.str() + testing::internal::GetCapturedStdout());
    for (std::string line; std::getline(printed, line);) EXPECT_EQ(line.rfind("reading ", 0), 0u) << line;
    EXPECT_EQ(std::set<std::size_t>(lineOf.begin(), lineOf.end()).size(), lines.size()) << "a line without objects";

    const std::size_t n = objects.size();
    ASSERT_GE(n, 8u);
    const auto shape = [&](std::size_t i) { return lines.physicsShapes[lineOf[i]]; };
    const auto program = [&](std::size_t i) { return objects[i]->shader->vertexPath; };
    std::size_t boxes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const murk::SceneObject& o = *objects[i];
        EXPECT_TRUE(o.material->diffuseTexture->id != Texture::noImage &&
                    (o.material->normalTexture->id != Texture::noImage) != lines.normalMaps[lineOf[i]].empty()) << i;
        // The lamp's shade glows: the rim program with a define of its own.
        const bool glows = lines.shaderNames[lineOf[i]] == "glow";
        EXPECT_EQ(program(i), i == 0 ? program(0) /* never drawn */ : i == 1 || glows ? "Shader/rim.vert"
                              : i >= n - 3 ? "Shader/energy.vert" : "Shader/default.vert") << i;
        EXPECT_EQ(objects[i]->shader->defines.empty(), !glows) << i;
        for (float c : {o.minX, o.minY, o.minZ, o.maxX, o.maxY, o.maxZ})  // the pick-ups
            EXPECT_TRUE(i < n - 3 || (shape(i) == "none" && std::abs(c) < 0.3f)) << i << ": built around the origin, no body";
        EXPECT_NE(shape(i), "mesh") << i << ": hulls are not used by this level";
        if (shape(i) != "box") continue;
        ++boxes;  // a solid box inside the level
        EXPECT_TRUE(o.minY >= 0.0f && o.minX >= -8.2f && o.maxX <= 4.5f && o.minZ >= -15.0f && o.maxZ <= 8.9f &&
                    o.maxX - o.minX > 0.01f && o.maxY - o.minY > 0.01f && o.maxZ - o.minZ > 0.01f) << i << " outside or flat";
    }
    EXPECT_TRUE(boxes > 20u && world.physicsWorld->actors.size() == boxes) << boxes;
    // Object 0 is never drawn, the held light must leave no body at the origin, the double-sided one is decoration.
    EXPECT_TRUE(shape(0) == "none" && shape(1) == "none" && shape(n - 4) == "none");
    // Held light: drawn at 0.03 scale, so a few units long, lens along +z.
    EXPECT_TRUE(objects[1]->maxZ - objects[1]->minZ > 2.0f && objects[1]->maxZ - objects[1]->minZ < 10.0f);

    for (const char* screen : {"Start.jpg", "Help.jpg", "End.jpg", "Won.jpg", "hud.png"}) {
        Texture texture;
        EXPECT_TRUE(texture.load(screen, 0, "RGB")) << screen;
        glDeleteTextures(1, &texture.id);
    }
    // Every program; a failure ends the process with the driver's log.
    for (const auto& file : fs::directory_iterator("Shader"))
        if (file.path().extension() == ".vert") ShaderProgram(file.path(), fs::path(file.path()).replace_extension(".frag"));
    ShaderProgram unlit("Shader/default.vert", "Shader/default.frag", "", "#define WITHOUT_FLASHLIGHT\n#define WITHOUT_LAMP");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (murk::SceneObject* object : objects) delete object;
    world.releaseTextures();
}

TEST(Level, HudMetersLieWhereTheHudShaderFillsThem) {
    FIBITMAP* hud = FreeImage_Load(FIF_PNG, "Assets/Textures/hud.png", 0);
    ASSERT_NE(hud, nullptr);
    RGBQUAD c{};  // y from the top, as image editors count
    const auto black = [&](unsigned x, unsigned y) { return FreeImage_GetPixelColor(hud, x, 719 - y, &c) && c.rgbRed < 8 && c.rgbGreen < 8 && c.rgbBlue < 8; };
    for (unsigned top : {628u, 660u}) {  // troughs x 80..335, y 628..639 (light) and 660..671 (fear)
        for (unsigned x : {80u, 200u, 335u}) EXPECT_FALSE(black(x, top) || black(x, top + 11)) << x << "," << top;
        EXPECT_TRUE(black(79, top + 5) && black(336, top + 5) && black(200, top - 1) && black(200, top + 12)) << top;
    }
    EXPECT_TRUE(black(0, 0) && black(640, 360) && black(1279, 719)) << "the scene shows through elsewhere";
    FreeImage_Unload(hud);
}

}  // namespace
