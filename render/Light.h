#pragma once

#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

class ShadowMap;

namespace murk {
class SceneObject;
}

// A shadow-casting spot light. It shines along -direction; cutOff is the
// cosine of the cone's half angle. It owns its shadow map.
class Light {
public:
    Light(const glm::vec3& position, const glm::vec3& colour, const glm::vec3& direction,
          float cutOff, ShadowMap* shadowMap, float intensity);
    ~Light();
    Light(const Light&) = delete;
    Light& operator=(const Light&) = delete;

    glm::vec3 getPosition() const { return position; }
    float getIntensity() const { return intensity; }
    glm::vec3 getDirection() const { return direction; }
    float getCutOff() const { return cutOff; }
    ShadowMap* getShadowMap() const { return shadowMap; }

    glm::vec3 position;
    glm::vec3 colour;
    float intensity;
    glm::vec3 direction;
    float cutOff;
    ShadowMap* shadowMap;
};

// The light's view; its projection is projection::spotLight(). up is the
// camera's up for the flashlight and lampUp for the lamp.
glm::mat4 lightView(const Light& light, const glm::vec3& up);

// A rectangle of shadow-map texels, from the lower left corner.
struct MapRegion {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The texels of a shadow map the scene can ever read: the scene pass looks
// a light's map up only inside its cone, which the light's projection maps
// to a disc around the map's centre. The region is that disc's square with
// room for the blur's reach, so a blur confined to it gives the same values
// inside the disc as a blur of the whole map. The whole map for a cone as
// wide as the projection, or a cutOff that is not a number.
MapRegion shadowReadRegion(float cutOff, int mapWidth, int mapHeight);

// Draws the casters' moments into the light's shadow map, unblurred.
// Casters are the objects objectRole names so: not the held light or the
// pick-ups. Only their geometry is used, with the shadow map's own program.
// With onlyInCone, casters whose box lies wholly outside the cone, widened
// by what the blur and the read region's margin can reach, are left out:
// they could only land on texels nothing reads.
void renderShadowDepth(const Light& light, const glm::vec3& up,
                       const std::vector<murk::SceneObject*>& sceneObjects, bool onlyInCone = false);
