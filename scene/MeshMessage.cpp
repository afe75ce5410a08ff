#include "scene/MeshMessage.h"

#include <cmath>
#include <limits>

std::string failureAnswer(const std::string& reason) {
    std::string out;
    put(out, 'E');
    put(out, reason);
    return out;
}

std::string meshAnswer(const std::vector<std::string>& opened, const std::vector<MeshData>& meshes) {
    std::string out;
    put(out, 'M');
    put(out, std::uint64_t{opened.size()});
    for (const std::string& file : opened) put(out, file);
    put(out, std::uint64_t{meshes.size()});
    for (const MeshData& mesh : meshes) {
        put(out, mesh.positions);
        put(out, mesh.normals);
        put(out, mesh.uvs);
        put(out, mesh.tangents);
        put(out, mesh.indices);
        for (float bound : {mesh.minX, mesh.maxX, mesh.minY, mesh.maxY, mesh.minZ, mesh.maxZ}) put(out, bound);
        put(out, mesh.ambient);
        put(out, mesh.diffuse);
        put(out, mesh.specular);
        put(out, mesh.opacity);
        put(out, mesh.diffuseTexturePath);
    }
    return out;
}

bool parseAnswer(const std::string& bytes, std::vector<MeshData>& meshes, std::string& error,
                 std::vector<std::string>* opened) {
    MessageReader in{bytes.data(), bytes.data() + bytes.size()};
    char kind = 0;
    in.get(kind);
    if (kind == 'E') {
        in.get(error);
        return false;
    }
    std::uint64_t count = 0;
    in.get(count);
    std::vector<std::string> files;
    for (std::uint64_t f = 0; in.ok && f < count; ++f) in.get(files.emplace_back());
    in.get(count);
    std::vector<MeshData> read;
    for (std::uint64_t m = 0; in.ok && m < count; ++m) {
        MeshData mesh;
        in.get(mesh.positions);
        in.get(mesh.normals);
        in.get(mesh.uvs);
        in.get(mesh.tangents);
        in.get(mesh.indices);
        for (float* bound : {&mesh.minX, &mesh.maxX, &mesh.minY, &mesh.maxY, &mesh.minZ, &mesh.maxZ}) in.get(*bound);
        in.get(mesh.ambient);
        in.get(mesh.diffuse);
        in.get(mesh.specular);
        in.get(mesh.opacity);
        in.get(mesh.diffuseTexturePath);
        if (in.ok) read.push_back(std::move(mesh));
    }
    if (kind != 'M' || !in.ok || in.at != in.end) {
        error = "import gave a broken answer";
        return false;
    }
    if (const std::string problem = meshProblem(read); !problem.empty()) {
        error = "import gave a broken answer: " + problem;
        return false;
    }
    meshes = std::move(read);
    if (opened != nullptr) *opened = std::move(files);
    return true;
}

namespace {

bool finite(const std::vector<float>& values) {
    for (const float value : values) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

}  // namespace

std::string meshProblem(const std::vector<MeshData>& meshes) {
    for (std::size_t m = 0; m < meshes.size(); ++m) {
        const MeshData& mesh = meshes[m];
        const std::string which = "mesh " + std::to_string(m + 1) + ": ";
        const std::size_t vertices = mesh.positions.size() / 3;
        if (mesh.positions.size() % 3 != 0 || vertices > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
            mesh.normals.size() != mesh.positions.size() || (!mesh.uvs.empty() && mesh.uvs.size() != vertices * 2) ||
            (!mesh.tangents.empty() && mesh.tangents.size() != vertices * 4) || mesh.indices.size() % 3 != 0) {
            return which + "arrays of the wrong size";
        }
        for (const std::uint32_t index : mesh.indices) {
            if (index >= vertices) return which + "index " + std::to_string(index) + " past the last vertex";
        }
        if (!finite(mesh.positions) || !finite({mesh.minX, mesh.maxX, mesh.minY, mesh.maxY, mesh.minZ, mesh.maxZ})) {
            return which + "a position or bound that is not a finite number";
        }
    }
    return "";
}
