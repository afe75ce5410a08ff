#include "scene/World.h"

#include "physics/PhysicsWorld.h"

World::World(const glm::vec3& startPosition) : physicsWorld(std::make_unique<PhysicsWorld>()) {
    physicsWorld->init(startPosition.x, startPosition.y, startPosition.z);
}

World::~World() = default;

void World::releaseTextures() {
    // A GL name may appear in both lists only if the same file was used as
    // a diffuse texture and a normal map; deleting it twice is harmless.
    if (!diffuseTextureIds.empty()) {
        glDeleteTextures(static_cast<GLsizei>(diffuseTextureIds.size()), diffuseTextureIds.data());
    }
    if (!normalTextureIds.empty()) {
        glDeleteTextures(static_cast<GLsizei>(normalTextureIds.size()), normalTextureIds.data());
    }
    diffuseTextureNames.clear();
    normalTextureNames.clear();
    diffuseTextureIds.clear();
    normalTextureIds.clear();
}
