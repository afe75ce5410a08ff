#pragma once

#include <glm/vec3.hpp>

class Texture;

// Colours and textures of one scene object (or an empty one for a quad).
// The textures are not owned: several materials may share cached images.
struct Material {
    glm::vec3 ambient{0.0f};
    glm::vec3 diffuse{0.0f};
    glm::vec3 specular{0.0f};
    float opacity = 1.0f;  // the renderer treats exactly 1.0 as opaque
    Texture* diffuseTexture = nullptr;
    Texture* normalTexture = nullptr;
};
