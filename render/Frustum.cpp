// Draws nothing: which objects lie in the player's view volume.
#include "render/Frustum.h"

#include <glm/geometric.hpp>

#include <cmath>

void Frustum::setProjection(float fieldOfView, float aspect, float nearDist, float farDist) {
    angle = fieldOfView;
    aspectRatio = aspect;
    nearDistance = nearDist;
    farDistance = farDist;
    tanHalfAngle = std::tan(angle * 0.5f);
    nearHalfHeight = nearDistance * tanHalfAngle;
    nearHalfWidth = nearHalfHeight * aspectRatio;
    farHalfHeight = farDistance * tanHalfAngle;
    farHalfWidth = farHalfHeight * aspectRatio;
}

void Frustum::addPlane(glm::vec3 a, glm::vec3 b, glm::vec3 c) {
    const glm::vec3 normal = glm::cross(b - a, c - a);
    planeNormals.push_back(normal);
    planePoints.push_back(a);
    planeOffsets.push_back(-glm::dot(normal, a));
}

void Frustum::update(glm::vec3 eye, glm::vec3 target, glm::vec3 up) {
    const glm::vec3 z = glm::normalize(eye - target);  // out of the screen
    const glm::vec3 x = glm::normalize(glm::cross(up, z));
    const glm::vec3 y = glm::cross(z, x);

    const glm::vec3 nearCentre = eye - z * nearDistance;
    const glm::vec3 farCentre = eye - z * farDistance;
    nearTopLeft = nearCentre + y * nearHalfHeight - x * nearHalfWidth;
    nearTopRight = nearCentre + y * nearHalfHeight + x * nearHalfWidth;
    nearBottomLeft = nearCentre - y * nearHalfHeight - x * nearHalfWidth;
    nearBottomRight = nearCentre - y * nearHalfHeight + x * nearHalfWidth;
    farTopLeft = farCentre + y * farHalfHeight - x * farHalfWidth;
    farTopRight = farCentre + y * farHalfHeight + x * farHalfWidth;
    farBottomLeft = farCentre - y * farHalfHeight - x * farHalfWidth;
    farBottomRight = farCentre - y * farHalfHeight + x * farHalfWidth;

    // clear() keeps the storage, so no frame after the first allocates.
    planeNormals.clear();
    planePoints.clear();
    planeOffsets.clear();
    planeOffsets.reserve(6);
    // Each corner triple is wound so that the normal points outwards.
    addPlane(nearTopLeft, nearTopRight, farTopLeft);            // top
    addPlane(nearBottomRight, nearBottomLeft, farBottomRight);  // bottom
    addPlane(nearBottomLeft, nearTopLeft, farBottomLeft);       // left
    addPlane(nearTopRight, nearBottomRight, farTopRight);       // right
    addPlane(nearTopLeft, nearBottomLeft, nearTopRight);        // near
    addPlane(farTopRight, farBottomRight, farTopLeft);          // far
}

bool Frustum::isVisible(float minX, float maxX, float minY, float maxY, float minZ, float maxZ) const {
    for (std::size_t i = 0; i < planeNormals.size(); ++i) {
        const glm::vec3& n = planeNormals[i];
        // The corner deepest on the inner side of this plane.
        const float x = n.x > 0.0f ? minX : maxX;
        const float y = n.y > 0.0f ? minY : maxY;
        const float z = n.z > 0.0f ? minZ : maxZ;
        if (n.x * x + n.y * y + n.z * z + planeOffsets[i] >= 0.0f) return false;
    }
    return true;
}
