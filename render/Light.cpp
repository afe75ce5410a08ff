// Draws the shadow casters into a spot light's map, from the light's view.
#include "render/Light.h"

#include <algorithm>
#include <cmath>

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "render/LightReach.h"
#include "render/Projection.h"
#include "render/ShadowMap.h"
#include "scene/ObjectRoles.h"
#include "scene/SceneObject.h"
#include "scene/ShaderProgram.h"

Light::Light(const glm::vec3& position_, const glm::vec3& colour_, const glm::vec3& direction_,
             float cutOff_, ShadowMap* shadowMap_, float intensity_)
    : position(position_),
      colour(colour_),
      intensity(intensity_),
      direction(direction_),
      cutOff(cutOff_),
      shadowMap(shadowMap_) {}

Light::~Light() {
    delete shadowMap;
}

glm::mat4 lightView(const Light& light, const glm::vec3& up) {
    return glm::lookAt(light.position, light.position - light.direction, up);
}

MapRegion shadowReadRegion(float cutOff, int mapWidth, int mapHeight) {
    const MapRegion whole{0, 0, mapWidth, mapHeight};
    const float halfField = projection::spotLightFieldOfView / 2.0f;
    if (!(cutOff > std::cos(halfField)) || cutOff > 1.0f) return whole;
    // The disc's radius in the projection's -1..1 range.
    const double radius = std::tan(std::acos(static_cast<double>(cutOff))) / std::tan(static_cast<double>(halfField));
    // A blurred texel is right when every texel it was made from lies inside
    // the region: 4 texels each way for the 9-tap blur, 1 for the scene's
    // bilinear look-up, and some to spare for rounding.
    constexpr int margin = 8;
    auto span = [&](int size, int& begin, int& length) {
        const double low = (0.5 - radius / 2.0) * size;
        const double high = (0.5 + radius / 2.0) * size;
        begin = std::max(0, static_cast<int>(std::floor(low)) - margin);
        const int end = std::min(size, static_cast<int>(std::ceil(high)) + margin);
        length = std::max(0, end - begin);
    };
    MapRegion region;
    span(mapWidth, region.x, region.width);
    span(mapHeight, region.y, region.height);
    return region;
}

namespace {

WorldBox casterBox(const murk::SceneObject& object) {
    return worldBox(glm::vec3(object.minX, object.minY, object.minZ), glm::vec3(object.maxX, object.maxY, object.maxZ),
                    object.modelMatrix);
}

}  // namespace

void renderShadowDepth(const Light& light, const glm::vec3& up,
                       const std::vector<murk::SceneObject*>& sceneObjects, bool onlyInCone) {
    const ShadowMap& map = *light.shadowMap;
    glBindFramebuffer(GL_FRAMEBUFFER, map.shadowFramebuffer);
    glViewport(0, 0, map.width, map.height);
    // Empty texels are as far as the light reaches (depth 1), so nothing
    // beyond the casters reads as shadowed and the blur does not darken
    // caster edges against the background.
    const GLfloat farMoments[4] = {1.0f, 1.0f, 0.0f, 0.0f};
    glClearBufferfv(GL_COLOR, 0, farMoments);
    glClear(GL_DEPTH_BUFFER_BIT);

    map.depthProgram->use();
    const GLint mvpLocation = glGetUniformLocation(map.depthProgram->program, "mvpMatrix");
    const glm::mat4 lightViewProjection = projection::spotLight() * lightView(light, up);

    const std::size_t end = objectRole::castersEnd(sceneObjects.size());
    // 16 texels at the map's centre, where a texel spans the widest angle:
    // the blur's 4 and the read region's margin of 8, with some to spare.
    const float halfAngle = std::acos(std::clamp(light.cutOff, -1.0f, 1.0f)) + 32.0f / static_cast<float>(map.width);
    const bool culling = onlyInCone && light.cutOff <= 1.0f && halfAngle < projection::spotLightFieldOfView / 2.0f;
    const LightCone cone{light.position, -light.direction, std::cos(halfAngle)};
    WorldBox everything;
    if (culling)
        for (std::size_t i = objectRole::firstCaster; i < end; ++i) everything.add(casterBox(*sceneObjects[i]));
    for (std::size_t i = objectRole::firstCaster; i < end; ++i) {
        murk::SceneObject* object = sceneObjects[i];
        if (culling && !coneReaches(cone, everything, casterBox(*object))) continue;
        const glm::mat4 mvp = lightViewProjection * object->modelMatrix;
        glUniformMatrix4fv(mvpLocation, 1, GL_FALSE, glm::value_ptr(mvp));
        object->draw();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
