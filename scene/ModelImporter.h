#pragma once

#include <memory>
#include <string>
#include <vector>

#include "scene/MeshData.h"

namespace Assimp {
class Importer;
}

// The post-processing asked for (the importer's real-time quality preset).
constexpr unsigned modelImportFlags = 0x79ACB;

// The one model importer of the run, without any GL: reads a file and
// copies its triangle meshes out as plain data.
class ModelImporter {
public:
    ModelImporter();
    ~ModelImporter();
    ModelImporter(const ModelImporter&) = delete;
    ModelImporter& operator=(const ModelImporter&) = delete;

    // False, with the importer's reason in error, when the file cannot be read.
    bool read(const std::string& modelFile, std::vector<MeshData>& meshes, std::string& error);

    double seconds = 0.0;  // spent reading and converting, for the load statistics

private:
    std::unique_ptr<Assimp::Importer> importer;
};
