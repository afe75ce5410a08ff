#include "scene/ModelConversion.h"

#include <cstring>
#include <utility>

#include <assimp/material.h>
#include <assimp/scene.h>

namespace {

void updateBounds(MeshData& mesh, float x, float y, float z) {
    if (x < mesh.minX) mesh.minX = x;
    if (x > mesh.maxX) mesh.maxX = x;
    if (y < mesh.minY) mesh.minY = y;
    if (y > mesh.maxY) mesh.maxY = y;
    if (z < mesh.minZ) mesh.minZ = z;
    if (z > mesh.maxZ) mesh.maxZ = z;
}

// Only colours stored as raw buffers are taken; float-array colours stay zero.
void readColour(const aiMaterial& material, const char* key, glm::vec3& into) {
    const aiMaterialProperty* property = nullptr;
    if (aiGetMaterialProperty(&material, key, 0, 0, &property) != AI_SUCCESS ||
        property == nullptr) {
        return;
    }
    if (property->mType != aiPTI_Buffer || property->mDataLength < 12 ||
        property->mData == nullptr) {
        return;
    }
    float rgb[3];
    std::memcpy(rgb, property->mData, sizeof rgb);
    into = glm::vec3(rgb[0], rgb[1], rgb[2]);
}

}  // namespace

void readMaterial(const aiMaterial& material, MeshData& into) {
    readColour(material, "$clr.ambient", into.ambient);
    readColour(material, "$clr.diffuse", into.diffuse);
    readColour(material, "$clr.specular", into.specular);

    float opacity = 1.0f;
    unsigned int count = 1;
    if (aiGetMaterialFloatArray(&material, "$mat.opacity", 0, 0, &opacity, &count) ==
            AI_SUCCESS &&
        count == 1) {
        into.opacity = opacity;
    }

    aiString path;
    if (aiGetMaterialTexture(&material, aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS) {
        into.diffuseTexturePath.assign(path.C_Str(), path.length);
    }
}

MeshData convertMesh(const aiMesh& mesh) {
    MeshData data;
    const unsigned vertices = mesh.mVertices != nullptr ? mesh.mNumVertices : 0;

    // Only triangles: a point or line face has fewer than three indices, and
    // a face pointing past the vertices would read outside the arrays.
    if (mesh.mFaces != nullptr) {
        data.indices.reserve(std::size_t{mesh.mNumFaces} * 3);
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3 || face.mIndices == nullptr ||
                face.mIndices[0] >= vertices || face.mIndices[1] >= vertices ||
                face.mIndices[2] >= vertices) {
                continue;
            }
            data.indices.insert(data.indices.end(),
                                {face.mIndices[0], face.mIndices[1], face.mIndices[2]});
        }
    }

    data.positions.reserve(std::size_t{vertices} * 3);
    for (unsigned i = 0; i < vertices; ++i) {
        const aiVector3D& p = mesh.mVertices[i];
        updateBounds(data, p.x, p.y, p.z);
        data.positions.insert(data.positions.end(), {p.x, p.y, p.z});
    }

    // The normal step fills normals for triangle meshes; zeros keep the
    // layout if a mesh comes without.
    data.normals.assign(std::size_t{vertices} * 3, 0.0f);
    if (mesh.mNormals != nullptr) {
        for (unsigned i = 0; i < vertices; ++i) {
            const aiVector3D& n = mesh.mNormals[i];
            data.normals[3 * i] = n.x;
            data.normals[3 * i + 1] = n.y;
            data.normals[3 * i + 2] = n.z;
        }
    }

    if (mesh.mTextureCoords[0] != nullptr && vertices > 0) {
        data.uvs.reserve(std::size_t{vertices} * 2);
        for (unsigned i = 0; i < vertices; ++i) {
            data.uvs.insert(data.uvs.end(), {mesh.mTextureCoords[0][i].x,
                                             mesh.mTextureCoords[0][i].y});
        }
        data.tangents = computeTangents(data.positions, data.normals, data.uvs, data.indices);
    }
    return data;
}

std::vector<MeshData> convertScene(const aiScene& scene) {
    std::vector<MeshData> meshes;
    if (scene.mMeshes == nullptr) {
        return meshes;
    }
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh* mesh = scene.mMeshes[m];
        if (mesh == nullptr) {
            continue;
        }
        MeshData data = convertMesh(*mesh);
        if (data.indices.empty()) {
            continue;  // points, lines or nothing usable
        }
        if (scene.mMaterials != nullptr && mesh->mMaterialIndex < scene.mNumMaterials &&
            scene.mMaterials[mesh->mMaterialIndex] != nullptr) {
            readMaterial(*scene.mMaterials[mesh->mMaterialIndex], data);
        }
        meshes.push_back(std::move(data));
    }
    return meshes;
}
