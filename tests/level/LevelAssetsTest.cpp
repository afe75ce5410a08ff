// The shipped level read the way the game reads it: SCENE.txt split by the
// game's rule, every model through Assimp with the real-time preset, every
// image through FreeImage. Catches a regenerated level that the importer
// splits differently, a texture the loader cannot take, or a HUD image whose
// meters moved away from where the HUD shader draws them.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr unsigned kRealtimeQuality = 0x79ACB;

struct SceneLine {
    std::string model, shader, shape, density, dynamic, normalMap;
};

// Comma, then one skipped character; the sixth field is the rest.
SceneLine splitLine(std::string rest) {
    std::string f[5];
    for (auto& field : f) {
        const auto p = rest.find(',');
        if (p == std::string::npos) return {};
        field = rest.substr(0, p);
        rest = p + 2 <= rest.size() ? rest.substr(p + 2) : std::string();
    }
    return {f[0], f[1], f[2], f[3], f[4], rest};
}

std::vector<SceneLine> readScene() {
    std::ifstream in("SCENE.txt");
    std::vector<SceneLine> lines;
    std::string line;
    for (const char* marker : {"//PLAYER OBJECTS", "//ENEMY OBJECTS", "//SCENE OBJECTS"}) {
        while (std::getline(in, line) && line != marker) {}
        while (std::getline(in, line) && line != "//END") lines.push_back(splitLine(line));
    }
    return lines;
}

struct Mesh {
    std::string name, shader, shape;
    aiVector3D lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
};

// The names of the objects of an OBJ file, in file order.
std::vector<std::string> objNames(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> names;
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("o ", 0) == 0) names.push_back(line.substr(2));
    return names;
}

std::string textureFile(const std::string& name) {
    const auto slash = name.find_last_of("/\\");
    return "Assets/Textures/" + (slash == std::string::npos ? name : name.substr(slash + 1));
}

struct Image {
    FIBITMAP* bitmap = nullptr;
    explicit Image(const std::string& path) {
        FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path.c_str(), 0);
        if (fif == FIF_UNKNOWN) fif = FreeImage_GetFIFFromFilename(path.c_str());
        if (fif != FIF_UNKNOWN) bitmap = FreeImage_Load(fif, path.c_str());
    }
    ~Image() { if (bitmap) FreeImage_Unload(bitmap); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    unsigned bpp() const { return bitmap ? FreeImage_GetBPP(bitmap) : 0; }
    unsigned width() const { return bitmap ? FreeImage_GetWidth(bitmap) : 0; }
    unsigned height() const { return bitmap ? FreeImage_GetHeight(bitmap) : 0; }
    // x from the left, y from the top, as image editors count
    bool black(unsigned x, unsigned y) const {
        RGBQUAD c{};
        FreeImage_GetPixelColor(bitmap, x, height() - 1 - y, &c);
        return c.rgbRed < 8 && c.rgbGreen < 8 && c.rgbBlue < 8;
    }
};

bool powerOfTwo(unsigned v) { return v && !(v & (v - 1)); }

class LevelAssets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        lines = new std::vector<SceneLine>(readScene());
        meshes = new std::vector<Mesh>();
        diffuse = new std::vector<std::string>();
        Assimp::Importer importer;
        for (const auto& l : *lines) {
            const aiScene* scene = importer.ReadFile(l.model, kRealtimeQuality);
            ASSERT_NE(scene, nullptr) << l.model << ": " << importer.GetErrorString();
            const auto names = objNames(l.model);
            ASSERT_EQ(scene->mNumMeshes, names.size()) << l.model << ": one mesh per object";
            for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
                const aiMesh* m = scene->mMeshes[i];
                EXPECT_EQ(std::string(m->mName.C_Str()), names[i]) << l.model << ": mesh order";
                EXPECT_EQ(m->mPrimitiveTypes, unsigned(aiPrimitiveType_TRIANGLE)) << names[i];
                EXPECT_TRUE(m->HasNormals() && m->HasTextureCoords(0)) << names[i];
                aiString tex;
                EXPECT_EQ(scene->mMaterials[m->mMaterialIndex]->GetTexture(aiTextureType_DIFFUSE, 0, &tex),
                          aiReturn_SUCCESS) << names[i] << " has no diffuse texture";
                diffuse->push_back(tex.C_Str());
                Mesh out{names[i], l.shader, l.shape};
                for (unsigned v = 0; v < m->mNumVertices; ++v) {
                    const aiVector3D& p = m->mVertices[v];
                    out.lo = {std::min(out.lo.x, p.x), std::min(out.lo.y, p.y), std::min(out.lo.z, p.z)};
                    out.hi = {std::max(out.hi.x, p.x), std::max(out.hi.y, p.y), std::max(out.hi.z, p.z)};
                }
                meshes->push_back(out);
            }
        }
    }
    static void TearDownTestSuite() {
        delete lines;
        delete meshes;
        delete diffuse;
        lines = nullptr;
        meshes = nullptr;
        diffuse = nullptr;
    }
    static std::vector<SceneLine>* lines;
    static std::vector<Mesh>* meshes;
    static std::vector<std::string>* diffuse;
};

std::vector<SceneLine>* LevelAssets::lines = nullptr;
std::vector<Mesh>* LevelAssets::meshes = nullptr;
std::vector<std::string>* LevelAssets::diffuse = nullptr;

TEST_F(LevelAssets, ObjectOrderFitsTheRenderer) {
    const auto& m = *meshes;
    ASSERT_GE(m.size(), 8u);
    const size_t n = m.size();
    EXPECT_EQ(m[0].shape, "none") << "object 0 is never drawn and must not collide";
    EXPECT_EQ(m[1].shader, "rim");
    EXPECT_EQ(m[1].shape, "none") << "the held light must not leave a body at the origin";
    // Held light: drawn at 0.03 scale, so a few units long, lens along +z.
    EXPECT_GT(m[1].hi.z - m[1].lo.z, 2.0f);
    EXPECT_LT(m[1].hi.z - m[1].lo.z, 10.0f);
    for (size_t i = n - 3; i < n; ++i) {
        EXPECT_EQ(m[i].shader, "energy") << m[i].name;
        EXPECT_EQ(m[i].shape, "none") << m[i].name;
        for (float c : {m[i].lo.x, m[i].lo.y, m[i].lo.z, m[i].hi.x, m[i].hi.y, m[i].hi.z})
            EXPECT_LT(std::abs(c), 0.3f) << m[i].name << " must be built around the origin";
    }
    EXPECT_EQ(m[n - 4].shape, "none") << "the double-sided object is decoration";
    for (size_t i = 2; i < n - 3; ++i) {
        EXPECT_NE(m[i].shader, "energy") << m[i].name;
        EXPECT_EQ(m[i].shader, "default") << m[i].name;
    }
}

TEST_F(LevelAssets, EveryBodyIsASolidBoxInsideTheLevel) {
    int boxes = 0;
    for (const auto& m : *meshes) {
        if (m.shape == "mesh") ADD_FAILURE() << m.name << ": hulls are not used by this level";
        if (m.shape != "box") continue;
        ++boxes;
        EXPECT_GE(m.lo.y, 0.0f) << m.name;
        EXPECT_GE(m.lo.x, -8.2f) << m.name;
        EXPECT_LE(m.hi.x, 4.5f) << m.name;
        EXPECT_GE(m.lo.z, -15.0f) << m.name;
        EXPECT_LE(m.hi.z, 8.9f) << m.name;
        const int flat = (m.hi.x - m.lo.x < 0.01f) + (m.hi.y - m.lo.y < 0.01f) + (m.hi.z - m.lo.z < 0.01f);
        EXPECT_EQ(flat, 0) << m.name << " has a flat body";
    }
    EXPECT_GT(boxes, 20);
}

TEST_F(LevelAssets, TexturesLoadAs24BitPowerOfTwoImages) {
    std::vector<std::string> names = *diffuse;
    for (const auto& l : *lines)
        if (!l.normalMap.empty()) names.push_back(l.normalMap);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    ASSERT_FALSE(names.empty());
    for (const auto& name : names) {
        Image img(textureFile(name));
        ASSERT_NE(img.bitmap, nullptr) << textureFile(name);
        EXPECT_EQ(img.bpp(), 24u) << name;
        EXPECT_TRUE(powerOfTwo(img.width()) && powerOfTwo(img.height())) << name;
    }
}

TEST(LevelScreens, ScreensAreWindowShaped24BitImages) {
    for (const char* name : {"Start.jpg", "Help.jpg", "End.jpg", "Won.jpg", "hud.png"}) {
        Image img(textureFile(name));
        ASSERT_NE(img.bitmap, nullptr) << name;
        EXPECT_EQ(img.bpp(), 24u) << name;
        EXPECT_EQ(img.width(), 1280u) << name;
        EXPECT_EQ(img.height(), 720u) << name;
    }
}

TEST(LevelScreens, HudMetersLieWhereTheHudShaderFillsThem) {
    Image hud(textureFile("hud.png"));
    ASSERT_NE(hud.bitmap, nullptr);
    // Troughs: x 80..335, y 628..639 (light) and 660..671 (fear), from the top.
    for (unsigned top : {628u, 660u}) {
        for (unsigned x : {80u, 200u, 335u})
            for (unsigned y : {top, top + 11})
                EXPECT_FALSE(hud.black(x, y)) << x << "," << y;
        EXPECT_TRUE(hud.black(79, top + 5));
        EXPECT_TRUE(hud.black(336, top + 5));
        EXPECT_TRUE(hud.black(200, top - 1));
        EXPECT_TRUE(hud.black(200, top + 12));
    }
    // The scene shows through everywhere else.
    for (unsigned x : {0u, 640u, 1279u})
        for (unsigned y : {0u, 360u, 719u})
            EXPECT_TRUE(hud.black(x, y)) << x << "," << y;
}

}  // namespace
