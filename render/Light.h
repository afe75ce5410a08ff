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

// Draws the casters' moments into the light's shadow map, unblurred.
// Casters are objects 2 to n - 4 (see renderShadowPass).
void renderShadowDepth(const Light& light, const glm::vec3& up,
                       std::vector<murk::SceneObject*>& sceneObjects);

// Renders the light's shadow map and blurs it. Casters are objects 2 to
// n - 4: not the never-drawn object 0, the held light model (1) or the three
// pick-ups. Only their geometry is used, with the shadow map's own program.
// Leaves framebuffer 0 bound and unit 0 active; the viewport is the shadow
// map's, so the next pass sets its own.
void renderShadowPass(const Light& light, const glm::vec3& up,
                      std::vector<murk::SceneObject*>& sceneObjects);
