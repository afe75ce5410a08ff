#pragma once

#include <glm/vec3.hpp>

#include <vector>

// The player's view volume, rebuilt every frame, for skipping objects that
// lie wholly outside it. Boxes are axis-aligned and taken in world space.
class Frustum {
public:
    // Called once with the camera projection's values.
    void setProjection(float angle, float aspectRatio, float nearDistance, float farDistance);
    // Called every frame after the camera has moved.
    void update(glm::vec3 eye, glm::vec3 target, glm::vec3 up);

    // False only when the whole box is outside one plane. Conservative: a box
    // near a corner of the frustum may pass although it is outside. Ignores
    // `enabled`; that is the caller's business.
    bool isVisible(float minX, float maxX, float minY, float maxY, float minZ, float maxZ) const;

    // Any object with the bounds fields minX, maxX, minY, maxY, minZ, maxZ.
    template <class Bounded>
    bool isVisible(const Bounded& object) const {
        return isVisible(object.minX, object.maxX, object.minY, object.maxY, object.minZ, object.maxZ);
    }

    bool enabled = true;  // culling switch (debug key)
    glm::vec3 nearTopLeft {0.0f}, nearTopRight {0.0f}, nearBottomLeft {0.0f}, nearBottomRight {0.0f};
    glm::vec3 farTopLeft {0.0f}, farTopRight {0.0f}, farBottomLeft {0.0f}, farBottomRight {0.0f};
    // One plane per face: top, bottom, left, right, near, far. Normals point
    // out of the frustum and are not normalised; a point p is outside a plane
    // when dot(normal, p) + offset >= 0.
    std::vector<glm::vec3> planeNormals;
    std::vector<glm::vec3> planePoints;
    std::vector<float> planeOffsets;
    float nearDistance = 0.0f;
    float farDistance = 0.0f;
    float aspectRatio = 0.0f;
    float angle = 0.0f;  // vertical field of view, radians
    float tanHalfAngle = 0.0f;
    float nearHalfWidth = 0.0f, nearHalfHeight = 0.0f;
    float farHalfWidth = 0.0f, farHalfHeight = 0.0f;

private:
    void addPlane(glm::vec3 a, glm::vec3 b, glm::vec3 c);
};
