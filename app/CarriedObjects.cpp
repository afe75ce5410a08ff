#include "app/CarriedObjects.h"

#include <algorithm>

#include <glm/gtc/matrix_transform.hpp>

#include "app/GameContext.h"
#include "app/GameSetup.h"
#include "scene/ObjectRoles.h"
#include "scene/SceneObject.h"

namespace {

// The camera-relative frame of the held light and the carried pick-ups.
glm::mat4 carriedMatrix(const Camera& camera, float lift) {
    const glm::mat4 view = glm::lookAt(camera.position, camera.position + camera.direction, camera.up);
    glm::mat4 x = glm::translate(view, -0.2f * glm::normalize(camera.direction));
    x = glm::translate(x, glm::normalize(camera.up) * (lift - camera.bobOffset / 300.0f + camera.swayY));
    x = glm::translate(x, glm::normalize(camera.right) * (camera.swayX - 0.15f));
    return glm::inverse(x);
}

}  // namespace

glm::mat4 heldLightMatrix(const Camera& camera) {
    glm::mat4 model = carriedMatrix(camera, 0.12f);
    model = glm::scale(model, glm::vec3(0.03f));
    return glm::rotate(model, 3.14f, glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::mat4 collectedPickupMatrix(const Camera& camera, std::size_t listPosition, const rules::LampSwing& swing) {
    glm::mat4 model = carriedMatrix(camera, 0.06f);
    glm::vec3 offset(0.05f * swing.sine, 0.01f * swing.sine, 0.05f * swing.cosine);
    if (listPosition == 1) offset = -offset;
    if (listPosition == 2) offset = glm::vec3(-offset.x, -offset.y, offset.z);
    model = glm::translate(model, offset);
    return glm::scale(model, glm::vec3(0.02f));
}

void holdCarriedObjects(GameContext& context) {
    std::vector<murk::SceneObject*>& objects = context.sceneObjects;
    if (objects.size() > objectRole::heldLight) {
        objects[objectRole::heldLight]->modelMatrix = heldLightMatrix(context.camera);
    }
    const std::size_t first = objectRole::firstPickup(objects.size());
    const std::vector<int>& collected = context.collectedPickups;
    for (std::size_t i = first; i < objects.size(); ++i) {
        const std::size_t k = i - first;
        const auto at = std::find(collected.begin(), collected.end(), static_cast<int>(k));
        if (at == collected.end()) {
            // Not carried, or used: back at its place, to be collected again.
            objects[i]->modelMatrix = level::pickupAtItsPlace(k);
            continue;
        }
        const auto listPosition = static_cast<std::size_t>(at - collected.begin());
        objects[i]->modelMatrix = collectedPickupMatrix(context.camera, listPosition, context.lampSwing);
    }
}
