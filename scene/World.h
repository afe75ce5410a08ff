#pragma once

#include <memory>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <glm/vec3.hpp>

class PhysicsWorld;

// What the set-up makes once for the level: the physics world, the texture
// slot counter, the texture quality settings and the model import's texture
// cache (names and GL ids in parallel lists; a file that failed has the id
// Texture::noImage, which is no GL name, so deleting it is ignored).
struct World {
    // Creates and initialises the physics world with the player's start position.
    explicit World(const glm::vec3& startPosition);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Deletes the cached GL textures and empties the cache (shutdown).
    void releaseTextures();

    std::unique_ptr<PhysicsWorld> physicsWorld;
    int nextTextureSlot = 0;
    std::string cookedFolder;  // where textures and imported meshes are kept; empty: nowhere
    int mipmapQuality = 2;    // 0 off, 1 nearest, 2 linear
    int samplingQuality = 1;  // 0 nearest, 1 bilinear
    std::vector<std::string> diffuseTextureNames;
    std::vector<std::string> normalTextureNames;
    std::vector<GLuint> diffuseTextureIds;
    std::vector<GLuint> normalTextureIds;
};
