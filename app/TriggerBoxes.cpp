#include "app/TriggerBoxes.h"

bool TriggerBox::contains(const glm::vec3& eye) const {
    const bool level = above ? eye.y > boxes::floorSplit : eye.y < boxes::floorSplit;
    return level && eye.x > minX && eye.x < maxX && eye.z > minZ && eye.z < maxZ;
}
