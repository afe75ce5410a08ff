// The model import as the game runs it: files that Assimp cannot survive
// end as a reason, and the files after them still load.
#include "scene/ModelImporter.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MURK_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(MURK_TEST_ASAN)
// AddressSanitizer reports a failed allocation itself and exits.
const char* const outOfMemory = "import ended without an answer";
#else
const char* const outOfMemory = "import ran out of memory";
#endif

// Address space a process has already must not eat the import's share (a
// sanitizer's shadow memory is terabytes); the worker is this program too,
// so it maps this before its first import as well.
void* const driverLikeMappings =
    mmap(nullptr, std::size_t{4} << 30, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);

std::string write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary | std::ios::trunc) << text;
    return name;
}

// One triangle with legs of the given length.
std::string triangleOgex(const std::string& leg) {
    return "Metric (key = \"distance\") {float {1.0}}\n"
           "GeometryNode $node1 {ObjectRef {ref {$geometry1}}}\n"
           "GeometryObject $geometry1 {Mesh (primitive = \"triangles\") {\n"
           "  VertexArray (attrib = \"position\") {float[3] {{0,0,0},{" + leg + ",0,0},{0," + leg + ",0}}}\n"
           "  IndexArray {unsigned_int32[3] {{0,1,2}}}}}\n";
}

float readLeg(ModelImporter& importer, const std::string& file) {
    std::vector<MeshData> meshes;
    std::string error;
    EXPECT_TRUE(importer.read(file, meshes, error)) << file << ": " << error;
    return meshes.size() == 1 ? meshes[0].maxX : -1.0f;
}

// Assimp's OpenGEX reader kept state from one file to the next and crashed
// on the second file one importer read; each file gets its own now.
TEST(ModelImport, OpenGexFilesOneAfterAnother) {
    const std::string small = write("small.ogex", triangleOgex("1"));
    const std::string large = write("large.ogex", triangleOgex("2"));
    ModelImporter importer;
    importer.workerIdleSeconds = 0.1;
    for (const auto& [file, leg] : {std::pair{small, 1.0f}, {large, 2.0f}, {small, 1.0f}, {small, 1.0f}}) {
        EXPECT_EQ(readLeg(importer, file), leg) << file;
    }
    // A worker that ended idle is replaced for the next file.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(readLeg(importer, large), 2.0f);
}

// What comes back from the worker is what the import made, field by field.
TEST(ModelImport, MeshesComeBackWhole) {
    ModelImporter importer;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(MURK_DATA_DIR) / "Assets/Models")) {
        if (entry.path().extension() != ".obj") continue;
        SCOPED_TRACE(entry.path().string());
        std::vector<MeshData> expected, meshes;
        std::string error;
        ASSERT_TRUE(importModel(entry.path(), expected, error)) << error;
        ASSERT_TRUE(importer.read(entry.path(), meshes, error)) << error;
        ASSERT_EQ(meshes.size(), expected.size());
        for (std::size_t m = 0; m < meshes.size(); ++m) {
            const MeshData& a = meshes[m];
            const MeshData& b = expected[m];
            EXPECT_EQ(a.positions, b.positions);
            EXPECT_EQ(a.normals, b.normals);
            EXPECT_EQ(a.uvs, b.uvs);
            EXPECT_EQ(a.tangents, b.tangents);
            EXPECT_EQ(a.indices, b.indices);
            EXPECT_EQ(std::vector<float>({a.minX, a.maxX, a.minY, a.maxY, a.minZ, a.maxZ}),
                      std::vector<float>({b.minX, b.maxX, b.minY, b.maxY, b.minZ, b.maxZ}));
            EXPECT_TRUE(a.ambient == b.ambient && a.diffuse == b.diffuse && a.specular == b.specular);
            EXPECT_EQ(a.opacity, b.opacity);
            EXPECT_EQ(a.diffuseTexturePath, b.diffuseTexturePath);
        }
        ++files;
    }
    EXPECT_GE(files, 10);
}

// Meshes kept for the next start come back as imported, are made again when
// the model or a file beside it changes, and a damaged entry is read past.
TEST(ModelImport, KeptMeshesFollowTheFilesBesideThem) {
    fs::create_directories("kept-models");
    const std::string model = write("kept-models/quad.obj", "mtllib quad.mtl\nv 0 0 0\nv 2 0 0\nv 0 1 0\nusemtl a\nf 1 2 3\n");
    const auto texture = [&](const std::string& folder, double seconds = 10.0) {
        ModelImporter importer;
        importer.cookedFolder = folder;
        importer.timeLimitSeconds = seconds;  // 0: no time to import, only a kept entry answers
        std::vector<MeshData> meshes;
        std::string error;
        const bool read = importer.read(model, meshes, error);
        return read && meshes.size() == 1 ? meshes[0].diffuseTexturePath + " " + std::to_string(meshes[0].maxX) : error;
    };
    write("kept-models/quad.mtl", "newmtl a\nmap_Kd first.png\n");
    EXPECT_EQ(texture("kept"), "first.png 2.000000");
    EXPECT_EQ(texture("kept", 0.0), "first.png 2.000000");
    write("kept-models/quad.mtl", "newmtl a\nmap_Kd second.png\n");
    EXPECT_EQ(texture("kept"), "second.png 2.000000");
    fs::resize_file("kept/quad.obj.meshes", fs::file_size("kept/quad.obj.meshes") - 1);
    EXPECT_NE(texture("kept", 0.0).find("import took longer"), std::string::npos);
    EXPECT_EQ(texture(model + "/kept"), "second.png 2.000000");  // nowhere to keep it
}

// Each bad file ends within seconds with the reason the console shows, and
// the next good file still loads.
TEST(ModelImport, BadFilesEndWithAReason) {
    const std::string off = "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
    const struct {
        const char* name;
        std::string text;  // empty: no such file
        const char* reason;
    } cases[] = {
        {"missing.obj", "", "Unable to open file"},
        // Headers promising more than there is: Assimp allocates what they say.
        {"vertices.off", "OFF\n300000000000 1 0\n" + off, outOfMemory},
        {"millions.off", "OFF\n200000000 1 0\n" + off, outOfMemory},
        // Fewer faces than promised fail an assertion inside Assimp: abort().
        {"faces.off", "OFF\n3 2 0\n" + off, "import crashed (signal 6)"},
        // Cut off after its header, Assimp reads it for ever.
        {"cut.smd", "version 1\nnodes", "import took longer than 1 s"},
    };
    const std::string good = write("good.ogex", triangleOgex("3"));
    ModelImporter importer;
    importer.timeLimitSeconds = 1.0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(c.name);
        if (!c.text.empty()) write(c.name, c.text);
        const auto start = std::chrono::steady_clock::now();
        std::vector<MeshData> meshes;
        std::string error;
        EXPECT_FALSE(importer.read(c.name, meshes, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(meshes.empty());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(readLeg(importer, good), 3.0f);
    }
}

}  // namespace
