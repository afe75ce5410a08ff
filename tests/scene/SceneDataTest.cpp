// Scene data without a window: scene file, tangents, bodies, imported meshes.
#include <array>
#include <cmath>
#include <sstream>
#include <tuple>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include "scene/ModelConversion.h"
#include "scene/ModelImporter.h"
#include "scene/SceneFile.h"

namespace {

// "model|shader|shape|density|dynamic|normal map"
std::string fields(const SceneLine& l) {
    std::ostringstream out;
    out << l.modelFile << '|' << l.shaderName << '|' << l.physicsShape << '|' << l.density << '|' << l.dynamic << '|' << l.normalMap;
    return out.str();
}

TEST(SceneFile, SplitsObjectLinesIntoSixFields) {
    const std::pair<const char*, const char*> rows[] = {  // line, fields ("" when it does not split)
        {"Assets/Models/room.obj, default, mesh, 2.5, TRUE, bricks_n.png, extra", "Assets/Models/room.obj|default|mesh|2.5|1|bricks_n.png, extra"},
        {"my model.obj, rim, none, 0, FALSE, ", "my model.obj|rim|none|0|0|"},
        {"a.obj, default, box, 1, TRUE,", "a.obj|default|box|1|1|"}, {"a.obj, default, box, 1, true, ", "a.obj|default|box|1|0|"},
        {"a.obj, default, box, 1,  TRUE, ", "a.obj|default|box|1|0|"}, {"a.obj, default, box, abc, TRUE, ", "a.obj|default|box|0|1|"},
        {"a.obj, default, box,   7.25kg, TRUE, ", "a.obj|default|box|7.25|1|"},
        // The character after each comma is skipped, whatever it is.
        {"model.obj,default,box,1,TRUE,nm.png", "model.obj|efault|ox|0|0|m.png"}, {"a.obj,b,c,d", ""},
    };
    for (const auto& [text, expected] : rows) {
        SceneLine line;
        EXPECT_EQ(splitSceneLine(text, line) ? fields(line) : "", expected) << text;
    }
}

TEST(SceneFile, ReadsTheThreeSectionsInOrder) {
    // The fields of each line read, ';' between, and what the console must say (nothing when none).
    struct Row { const char* text; const char* lines; std::vector<const char*> reported; };
    const Row rows[] = {
        {"Murkhaven level\n//END\na.obj, x, y\n"  // text before the first marker
         "//PLAYER OBJECTS\r\np0.obj, default, none, 0, FALSE, \r\np1.obj, rim, none, 0, FALSE, \n//END\n"
         "remarks between sections, with, five, commas, in, them\n\n"
         "//ENEMY OBJECTS\ne.obj, default, box, 3, TRUE, e_n.png\n//END\n"
         "//SCENE OBJECTS\ns.obj, energy, mesh, 0, FALSE, \n//END\n"
         "after.obj, default, none, 0, FALSE, \n",
         "p0.obj|default|none|0|0|;p1.obj|rim|none|0|0|;e.obj|default|box|3|1|e_n.png;s.obj|energy|mesh|0|0|", {}},
        // Markers match whole lines only; inside a section a line that does not
        // split is skipped and reported with its number, blank lines counted.
        {"//PLAYER OBJECTS, old\n//player objects\nlower.obj, default, none, 0, FALSE, \n//PLAYER OBJECTS\n"
         "p.obj, default, none, 0, FALSE, \n\n//END \n//ENEMY OBJECTS \n//END\n"
         "//ENEMY OBJECTS\n//END\n//SCENE OBJECTS\n//END\n",
         "p.obj|default|none|0|0|", {"line 6 ", "line 7 ", "line 8 "}},
    };
    for (const Row& row : rows) {
        std::istringstream in(row.text);
        std::ostringstream console;
        const SceneLines lists = readSceneLines(in, console);
        std::string read;
        for (std::size_t i = 0; i < lists.size(); ++i)
            read += (i > 0 ? ";" : "") + fields({lists.modelFiles[i], lists.shaderNames[i], lists.physicsShapes[i],
                                                 lists.densities[i], lists.dynamics[i], lists.normalMaps[i]});
        EXPECT_EQ(read, row.lines) << row.text;
        for (const char* report : row.reported) EXPECT_NE(console.str().find(report), std::string::npos) << report << console.str();
        EXPECT_EQ(console.str().empty(), row.reported.empty()) << console.str();
    }
}

TEST(Tangents, FollowUWithHandednessOrthogonalToTheNormal) {
    const float s = std::sqrt(0.5f);
    struct Row { const char* name; std::vector<float> positions, normals, uvs; std::vector<std::uint32_t> indices; std::vector<float> expected; };
    const std::vector<float> quad = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    const std::vector<float> up4 = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    const Row rows[] = {
        {"plain", quad, up4, {0, 0, 1, 0, 1, 1, 0, 1}, {0, 1, 2, 2, 3, 0}, {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1}},
        {"u against x: mirrored", quad, up4, {1, 0, 0, 0, 0, 1, 1, 1}, {0, 1, 2, 2, 3, 0}, {-1, 0, 0, -1, -1, 0, 0, -1, -1, 0, 0, -1}},
        {"tilted normals", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {s, 0, s, s, 0, s, s, 0, s},
         {0, 0, 1, 0, 0, 1}, {0, 1, 2}, {s, 0, -s, 1, s, 0, -s, 1, s, 0, -s, 1}},
        // 1-3-2 has no uv area; it must not spoil 1 and 2, and 3 gets some tangent.
        {"degenerate neighbour", quad, up4, {0, 0, 1, 0, 0, 1, 0, 1}, {0, 1, 2, 1, 3, 2}, {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1}},
        {"no uv area at all, a vertex in no triangle", {0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5},
         {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 1, 0}, {.5f, .5f, .5f, .5f, .5f, .5f, 0, 0}, {0, 1, 2}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto t = computeTangents(row.positions, row.normals, row.uvs, row.indices);
        ASSERT_EQ(t.size(), row.positions.size() / 3 * 4);
        for (std::size_t i = 0; i < row.expected.size(); ++i) EXPECT_NEAR(t[i], row.expected[i], 1e-6f) << i;
        for (std::size_t v = 0; v < t.size() / 4; ++v) {  // every vertex: a unit vector along the surface
            const glm::vec3 x = glm::make_vec3(&t[4 * v]);
            EXPECT_TRUE(std::abs(glm::length(x) - 1.0f) < 1e-5f && std::abs(glm::dot(x, glm::make_vec3(&row.normals[3 * v]))) < 1e-5f &&
                        std::fabs(t[4 * v + 3]) == 1.0f) << v;
        }
    }
}

TEST(CollisionBodies, ShapeWordSelectsABodyAroundTheBounds) {
    MeshData mesh;
    std::tie(mesh.minX, mesh.maxX, mesh.minY, mesh.maxY, mesh.minZ, mesh.maxZ) = std::tuple(-1.0f, 3.0f, 2.0f, 2.0f, 0.5f, 1.5f);
    using Kind = CollisionBody::Kind;
    const std::pair<const char*, Kind> rows[] = {{"box", Kind::box}, {"mesh", Kind::mesh}, {"none", Kind::none},
        {"Box", Kind::none}, {"MESH", Kind::none}, {"", Kind::none}, {"box ", Kind::none}, {"sphere", Kind::none}};
    for (const auto& [word, kind] : rows) {
        const CollisionBody body = collisionBodyFor(word, mesh);
        EXPECT_EQ(body.kind, kind) << word;
        EXPECT_TRUE(kind == Kind::none || (body.centre == glm::dvec3(1.0, 2.0, 1.0) && body.halfExtents == glm::dvec3(2.0, 0.0, 0.5)))
            << word;  // flat along y
    }
}

TEST(Conversion, TriangleMeshesInOrderWithUvsAndTangentsWhereGiven) {
    const std::string obj = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 5 0 0\nv 6 0 0\nv 6 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
                            "o quad\nf 1/1/1 2/2/1 3/3/1 4/4/1\no bare\nf 5//1 6//1 7//1\n"
                            "o mixed\nl 1 2\np 3\nf 5/1/1 7/3/1 6/2/1\n";  // the line and point are dropped
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(obj.data(), obj.size(), modelImportFlags, "obj");
    ASSERT_NE(scene, nullptr);
    const auto meshes = convertScene(*scene);
    using Counts = std::tuple<int, int, std::size_t, float, float, std::size_t, std::size_t>;
    const Counts rows[] = {{6, 4, 12, 0, 1, 8, 16}, {3, 3, 9, 5, 6, 0, 0}, {3, 3, 9, 5, 6, 6, 12}};
    ASSERT_EQ(meshes.size(), 3u);
    for (std::size_t m = 0; m < 3; ++m) {  // indices, vertices, normals, x bounds, uvs, tangents
        const MeshData& d = meshes[m];
        EXPECT_EQ(Counts(d.indexCount(), d.vertexCount(), d.normals.size(), d.minX, d.maxX, d.uvs.size(), d.tangents.size()), rows[m]) << m;
    }
    const MeshData& quad = meshes[0];  // its uvs equal its x and y
    for (std::size_t v = 0; v < 4; ++v)
        EXPECT_TRUE(glm::make_vec2(&quad.uvs[2 * v]) == glm::make_vec2(&quad.positions[3 * v]) &&
                    std::abs(quad.tangents[4 * v] - 1.0f) < 1e-5f && quad.tangents[4 * v + 3] == 1.0f) << v;
}

TEST(Conversion, BoundsTakeEveryVertexAndMissingNormalsAreZero) {
    aiMesh mesh;  // the first vertex alone holds the largest x: both bounds must see it
    mesh.mNumVertices = 3;
    mesh.mVertices = new aiVector3D[3]{{2, 0, 0}, {0, 1, -1}, {0, 0, 0}};
    const MeshData data = convertMesh(mesh);
    EXPECT_EQ((std::array{data.minX, data.maxX, data.minY, data.maxY, data.minZ, data.maxZ}), (std::array{0.0f, 2.0f, 0.0f, 1.0f, -1.0f, 0.0f}));
    EXPECT_EQ(data.normals, std::vector<float>(9, 0.0f));
}

}  // namespace
