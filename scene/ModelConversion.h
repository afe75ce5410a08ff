#pragma once

#include <vector>

#include "scene/MeshData.h"

struct aiScene;
struct aiMesh;
struct aiMaterial;

// Copies every triangle mesh of an imported scene, in mesh order. Meshes of
// points or lines are skipped; faces with indices out of range are dropped.
std::vector<MeshData> convertScene(const aiScene& scene);
MeshData convertMesh(const aiMesh& mesh);
// Colours (raw-buffer properties of at least 12 bytes only), opacity and
// the first diffuse texture path.
void readMaterial(const aiMaterial& material, MeshData& into);
