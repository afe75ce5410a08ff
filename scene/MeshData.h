#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

// One imported mesh as plain data, before any GL object exists: what the
// model import copies out of the importer's scene.
struct MeshData {
    std::vector<float> positions;  // 3 per vertex
    std::vector<float> normals;    // 3 per vertex
    std::vector<float> uvs;        // 2 per vertex, empty without texture coordinates
    std::vector<float> tangents;   // 4 per vertex, empty without texture coordinates
    std::vector<std::uint32_t> indices;  // 3 per triangle
    float minX = 1000.0f;
    float maxX = -1000.0f;
    float minY = 1000.0f;
    float maxY = -1000.0f;
    float minZ = 1000.0f;
    float maxZ = -1000.0f;
    glm::vec3 ambient{0.0f};
    glm::vec3 diffuse{0.0f};
    glm::vec3 specular{0.0f};
    float opacity = 1.0f;
    std::string diffuseTexturePath;  // first diffuse texture, empty when none

    int vertexCount() const { return static_cast<int>(positions.size() / 3); }
    int indexCount() const { return static_cast<int>(indices.size()); }
};

// The collision body a scene line asks for, from the mesh bounds.
struct CollisionBody {
    enum class Kind { none, box, mesh };
    Kind kind = Kind::none;
    glm::dvec3 centre{0.0};
    glm::dvec3 halfExtents{0.0};
};

// "box" and "mesh" give bodies; any other word none. Centre and half
// extents are computed in float, as the bounds are.
CollisionBody collisionBodyFor(const std::string& physicsShape, const MeshData& mesh);

// Per-vertex tangents (xyz, handedness) from triangle positions and uvs,
// accumulated per triangle and made orthogonal to the normals. Triangles
// with degenerate uvs add nothing; a vertex left without a tangent gets one
// perpendicular to its normal.
std::vector<float> computeTangents(const std::vector<float>& positions,
                                   const std::vector<float>& normals,
                                   const std::vector<float>& uvs,
                                   const std::vector<std::uint32_t>& indices);
