#include "scene/ModelImporter.h"

#include <chrono>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include "scene/ModelConversion.h"

ModelImporter::ModelImporter() : importer(std::make_unique<Assimp::Importer>()) {}

ModelImporter::~ModelImporter() = default;

bool ModelImporter::read(const std::string& modelFile, std::vector<MeshData>& meshes,
                         std::string& error) {
    const auto start = std::chrono::steady_clock::now();
    const aiScene* scene = importer->ReadFile(modelFile, modelImportFlags);
    bool ok = false;
    if (scene == nullptr) {
        error = importer->GetErrorString();
    } else {
        meshes = convertScene(*scene);
        // Everything needed is copied; the importer's scene can go now.
        importer->FreeScene();
        ok = true;
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok;
}
