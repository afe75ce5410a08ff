#pragma once

#include <memory>
#include <string>
#include <vector>

#include "scene/MeshData.h"
#include "scene/ModelImporter.h"

namespace murk {
class SceneObject;
}
class ShaderProgram;
class Texture;
struct Material;
struct World;

// Turns scene-file lines into scene objects, each model read in a process
// of its own. Keeps the programs, materials and textures it creates alive for
// as long as it lives (destroy it while the GL context still exists).
class ModelLoader {
public:
    ModelLoader(World& world, std::vector<murk::SceneObject*>& sceneObjects);
    ~ModelLoader();
    ModelLoader(const ModelLoader&) = delete;
    ModelLoader& operator=(const ModelLoader&) = delete;

    // One object per triangle mesh of modelFile, appended to sceneObjects,
    // each with the program "Shader/"+shaderName+".vert/.frag" (shared by the
    // objects of the same "default" or "rim" line kind and normal map), material,
    // cached textures and the collision body physicsShape asks for. An
    // unreadable file (one that crashes the import too) prints the reason and
    // adds nothing; so does anything but a regular file, unread. Once the
    // loads together have taken importBudgetSeconds, the rest are skipped
    // with one line.
    void loadModel(const std::string& modelFile, const std::string& shaderName,
                   const std::string& physicsShape, float density, bool dynamic,
                   const std::string& normalMap);

    // However many models the scene names, start-up does not wait longer than
    // this for them (each file's own limit is cut to what is left).
    double importBudgetSeconds = 30.0;

    // Seconds spent so far, for the load statistics (importing is in importer.seconds).
    double programSeconds = 0.0;
    double textureSeconds = 0.0;
    double uploadSeconds = 0.0;

    ModelImporter importer;

private:
    void addObjects(std::vector<MeshData>& meshes, const std::string& shaderName, const std::string& physicsShape,
                    float density, bool dynamic, const std::string& normalMap);
    ShaderProgram* programFor(const std::string& shaderName, const std::string& normalMap);
    Texture* cachedTexture(const std::string& name, std::vector<std::string>& names,
                           std::vector<unsigned>& ids, bool advanceSlot);

    World& world;
    std::vector<murk::SceneObject*>& sceneObjects;
    double loadSeconds = 0.0;  // in loadModel, against the budget
    bool budgetSpent = false;
    std::vector<std::unique_ptr<ShaderProgram>> programs;
    std::vector<std::unique_ptr<Material>> materials;
    std::vector<std::unique_ptr<Texture>> textures;
};
