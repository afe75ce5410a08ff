#include "scene/MeshData.h"

#include <cmath>

#include <glm/geometric.hpp>

CollisionBody collisionBodyFor(const std::string& physicsShape, const MeshData& mesh) {
    CollisionBody body;
    if (physicsShape == "box") {
        body.kind = CollisionBody::Kind::box;
    } else if (physicsShape == "mesh") {
        body.kind = CollisionBody::Kind::mesh;
    } else {
        return body;
    }
    body.centre = glm::dvec3((mesh.minX + mesh.maxX) / 2.0f, (mesh.minY + mesh.maxY) / 2.0f,
                             (mesh.minZ + mesh.maxZ) / 2.0f);
    body.halfExtents = glm::dvec3((mesh.maxX - mesh.minX) / 2.0f, (mesh.maxY - mesh.minY) / 2.0f,
                                  (mesh.maxZ - mesh.minZ) / 2.0f);
    return body;
}

namespace {

glm::vec3 vec3At(const std::vector<float>& values, std::size_t i) {
    return {values[3 * i], values[3 * i + 1], values[3 * i + 2]};
}

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Any unit vector perpendicular to n (x when n is zero).
glm::vec3 perpendicular(const glm::vec3& n) {
    if (!finite(n) || glm::dot(n, n) == 0.0f) {
        return {1.0f, 0.0f, 0.0f};
    }
    const glm::vec3 a = std::fabs(n.x) < 0.9f * glm::length(n) ? glm::vec3(1, 0, 0)
                                                               : glm::vec3(0, 1, 0);
    return glm::normalize(glm::cross(n, a));
}

}  // namespace

std::vector<float> computeTangents(const std::vector<float>& positions,
                                   const std::vector<float>& normals,
                                   const std::vector<float>& uvs,
                                   const std::vector<std::uint32_t>& indices) {
    const std::size_t vertices = positions.size() / 3;
    std::vector<glm::vec3> tan1(vertices, glm::vec3(0.0f));
    std::vector<glm::vec3> tan2(vertices, glm::vec3(0.0f));

    for (std::size_t f = 0; f + 2 < indices.size(); f += 3) {
        const std::uint32_t a = indices[f];
        const std::uint32_t b = indices[f + 1];
        const std::uint32_t c = indices[f + 2];
        if (a >= vertices || b >= vertices || c >= vertices || 2 * std::size_t{c} + 1 >= uvs.size() ||
            2 * std::size_t{a} + 1 >= uvs.size() || 2 * std::size_t{b} + 1 >= uvs.size()) {
            continue;
        }
        const glm::vec3 e1 = vec3At(positions, b) - vec3At(positions, a);
        const glm::vec3 e2 = vec3At(positions, c) - vec3At(positions, a);
        const float s1 = uvs[2 * b] - uvs[2 * a];
        const float t1 = uvs[2 * b + 1] - uvs[2 * a + 1];
        const float s2 = uvs[2 * c] - uvs[2 * a];
        const float t2 = uvs[2 * c + 1] - uvs[2 * a + 1];
        // Degenerate uvs give no direction; skipping keeps NaN out of the sums.
        const float r = 1.0f / (s1 * t2 - s2 * t1);
        if (!std::isfinite(r)) {
            continue;
        }
        const glm::vec3 sdir = (t2 * e1 - t1 * e2) * r;
        const glm::vec3 tdir = (s1 * e2 - s2 * e1) * r;
        if (!finite(sdir) || !finite(tdir)) {
            continue;
        }
        tan1[a] += sdir;
        tan1[b] += sdir;
        tan1[c] += sdir;
        tan2[a] += tdir;
        tan2[b] += tdir;
        tan2[c] += tdir;
    }

    std::vector<float> tangents;
    tangents.reserve(vertices * 4);
    for (std::size_t i = 0; i < vertices; ++i) {
        const glm::vec3 n = 3 * i + 2 < normals.size() ? vec3At(normals, i) : glm::vec3(0.0f);
        const glm::vec3 t = tan1[i];
        glm::vec3 tangent = t - n * glm::dot(n, t);
        const float length = glm::length(tangent);
        if (length > 1e-20f && std::isfinite(length)) {
            tangent /= length;
        } else {
            tangent = perpendicular(n);
        }
        const float w = glm::dot(glm::cross(n, t), tan2[i]) < 0.0f ? -1.0f : 1.0f;
        tangents.insert(tangents.end(), {tangent.x, tangent.y, tangent.z, w});
    }
    return tangents;
}
