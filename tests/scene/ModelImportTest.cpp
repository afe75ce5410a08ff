// The model import as the game runs it: files that Assimp cannot survive
// end as a reason, and the files after them still load.
#include "scene/CookedFile.h"
#include "scene/MeshMessage.h"
#include "scene/ModelImporter.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
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

std::string slurp(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A model's first texture and width as read with a cache in `folder`, or the error.
std::string keptTexture(const std::string& model, const std::string& folder, double seconds = 10.0) {
    ModelImporter importer;
    importer.cookedFolder = folder;
    importer.timeLimitSeconds = seconds;  // 0: no time to import, only a kept entry answers
    std::vector<MeshData> meshes;
    std::string error;
    const bool read = importer.read(model, meshes, error);
    return read && meshes.size() == 1 ? meshes[0].diffuseTexturePath + " " + std::to_string(meshes[0].maxX) : error;
}

float readLeg(ModelImporter& importer, const std::string& file) {
    std::vector<MeshData> meshes;
    std::string error;
    EXPECT_TRUE(importer.read(file, meshes, error)) << file << ": " << error;
    return meshes.size() == 1 ? meshes[0].maxX : -1.0f;
}

// Children of this process that ended and were never waited for.
int zombieChildren() {
    int zombies = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        if (entry.path().filename().string().find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(in)), {});
        const std::size_t name = stat.rfind(')');
        if (name == std::string::npos) continue;
        char state = 0;
        int parent = 0;
        std::istringstream(stat.substr(name + 1)) >> state >> parent;
        zombies += state == 'Z' && parent == getpid();
    }
    return zombies;
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
    // A worker that ended idle is reaped, not left a zombie, and replaced for the next file.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(zombieChildren(), 0);
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

// Meshes kept for the next start come back as imported, and are made again
// when the model or any file its import opened changes, wherever it lies.
TEST(ModelImport, KeptMeshesFollowEveryFileTheImportOpened) {
    fs::create_directories("kept-models/obj");
    fs::create_directories("kept-models/mtl");
    const std::string model = write("kept-models/obj/quad.obj", "mtllib ../mtl/quad.mtl\nv 0 0 0\nv 2 0 0\nv 0 1 0\nusemtl a\nf 1 2 3\n");
    write("kept-models/obj/beside.txt", "not read by the import");
    write("kept-models/mtl/quad.mtl", "newmtl a\nmap_Kd first.png\n");
    // A link planted where a temporary was once written is not followed.
    const std::string victim = write("kept-models/victim", "precious");
    fs::create_directories("kept");
    fs::remove("kept/quad.obj.meshes." + std::to_string(getpid()) + ".part");
    fs::create_symlink(fs::absolute(victim), "kept/quad.obj.meshes." + std::to_string(getpid()) + ".part");
    EXPECT_EQ(keptTexture(model, "kept"), "first.png 2.000000");
    EXPECT_EQ(slurp(victim), "precious");
    EXPECT_FALSE(fs::is_symlink("kept/quad.obj.meshes"));
    EXPECT_EQ(keptTexture(model, "kept", 0.0), "first.png 2.000000");
    write("kept-models/obj/beside.txt", "changed, and still not read");
    EXPECT_EQ(keptTexture(model, "kept", 0.0), "first.png 2.000000");
    write("kept-models/mtl/quad.mtl", "newmtl a\nmap_Kd later.png\n");  // the same size, only the bytes differ
    EXPECT_EQ(keptTexture(model, "kept"), "later.png 2.000000");
    EXPECT_EQ(keptTexture(model, model + "/kept"), "later.png 2.000000");  // nowhere to keep it
}

// A kept entry that is damaged, or holds meshes that are not safe to draw,
// is imported again with one line; its size is compared before it is read.
TEST(ModelImport, DamagedKeptMeshesAreMadeAgainWithOneLine) {
    fs::create_directories("damaged-models");
    const std::string model = write("damaged-models/tri.obj", "v 0 0 0\nv 2 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::string entry = "damaged/tri.obj.meshes";
    ASSERT_EQ(keptTexture(model, "damaged"), " 2.000000");
    const std::string good = slurp(entry);
    CookedKey key;
    ASSERT_TRUE(cookedKey(model, buildName(), key));
    // Kept with a right checksum: what a fault in an older build could have left.
    const auto keptAs = [&](auto change) {
        std::vector<MeshData> meshes;
        std::string error;
        EXPECT_TRUE(importModel(model, meshes, error)) << error;
        change(meshes);
        writeCookedFile(entry, key, withSources({model}, meshAnswer({model}, meshes)));
    };
    const struct {
        const char* damage;
        std::function<void()> make;
        std::string line;
    } rows[] = {
        {"cut short", [&] { fs::resize_file(entry, good.size() - 1); }, "holds"},
        {"a sparse tail of a gigabyte", [&] { fs::resize_file(entry, good.size() + (std::size_t{1} << 30)); }, "holds"},
        {"a byte changed", [&] { write(entry, good.substr(0, good.size() - 5) + "X" + good.substr(good.size() - 4)); },
         "checksum"},
        {"not an entry", [&] { write(entry, std::string(4096, 'x')); }, "not a cache entry"},
        {"no meshes", [&] { keptAs([](auto& m) { m.clear(); }); }, "no meshes"},
        {"an index past the vertices", [&] { keptAs([](auto& m) { m[0].indices[2] = 3; }); }, "index 3 past"},
        {"a position not finite", [&] { keptAs([](auto& m) { m[0].positions[4] = NAN; }); }, "not a finite"},
        {"a bound not finite", [&] { keptAs([](auto& m) { m[0].maxY = INFINITY; }); }, "not a finite"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.damage);
        write(entry, good);
        row.make();
        const auto start = std::chrono::steady_clock::now();
        testing::internal::CaptureStdout();
        EXPECT_EQ(keptTexture(model, "damaged"), " 2.000000");
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(said.rfind("cache entry " + entry + " cannot be used (", 0), 0u) << said;
        EXPECT_NE(said.find(row.line), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_TRUE(slurp(entry) == good) << "made again";
    }
}

// An answer or a kept entry claiming more elements than it holds is refused
// before anything is allocated, with counts near the size type's limits too.
TEST(ModelImport, CountsBeyondTheBytesAreRefusedBeforeAllocating) {
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
    for (const std::uint64_t count : {limit, limit / 4 + 1, limit / 2 + 1, limit / 12 + 1, std::uint64_t{1} << 62, std::uint64_t{100}}) {
        SCOPED_TRACE(count);
        std::string bytes;
        put(bytes, 'M');
        put(bytes, std::uint64_t{0});  // no files opened
        put(bytes, std::uint64_t{1});  // one mesh
        put(bytes, count);             // of this many position values
        bytes.append(64, '\0');
        std::vector<MeshData> meshes;
        std::string error;
        EXPECT_FALSE(parseAnswer(bytes, meshes, error));
        EXPECT_EQ(error, "import gave a broken answer");
        std::string kept = bytes;  // as the count of an entry's source files
        kept.replace(0, 8, reinterpret_cast<const char*>(&count), 8);
        std::string rest, damage;
        EXPECT_FALSE(sourcesUnchanged(kept, rest, damage));
        EXPECT_FALSE(damage.empty());
    }
}

// Only the game may make this program an import worker: the variable set
// any other way is named and ignored, and the program goes on to its main.
TEST(ModelImport, AWorkerVariableNotSetByTheGameIsIgnored) {
    const std::string self = fs::read_symlink("/proc/self/exe");
    for (const std::string& value : {std::string("garbage"), std::string("3 1 2"), "0 " + std::to_string(getpid()) + " 2", "2 " + std::to_string(getpid()) + " 2 x"}) {
        SCOPED_TRACE(value);
        const murk::test::ProcessResult run = murk::test::runProcess(
            {self, "--gtest_list_tests", "--gtest_filter=ModelImport.Meshes*"}, ".", 30,
            {"MURK_MODEL_IMPORT_WORKER=" + value});
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_NE(run.output.find("MURK_MODEL_IMPORT_WORKER is set, but not by this game for its import worker: ignored\n"),
                  std::string::npos) << run.output;
        EXPECT_NE(run.output.find("MeshesComeBackWhole"), std::string::npos) << run.output;
    }
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
