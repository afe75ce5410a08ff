// The view frustum against boxes, and the projection constants it shares
// with the renderer.
#include "render/Frustum.h"
#include "render/Projection.h"

#include <gtest/gtest.h>
#include <glm/geometric.hpp>

#include <cmath>

namespace {

// Anything with the six bounds fields will do, as a scene object does.
struct Box {
    float minX, maxX, minY, maxY, minZ, maxZ;
};

Box around(glm::vec3 centre, float half) {
    return {centre.x - half, centre.x + half, centre.y - half, centre.y + half, centre.z - half, centre.z + half};
}

// The game's camera at `eye` looking along -z, 16:9.
Frustum cameraFrustum(glm::vec3 eye = glm::vec3(0.0f)) {
    Frustum frustum;
    frustum.setProjection(projection::cameraFieldOfView, 16.0f / 9.0f, projection::nearDistance,
                          projection::farDistance);
    frustum.update(eye, eye + glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    return frustum;
}

TEST(Frustum, ProjectionSizesTheRectangles) {
    Frustum frustum;
    EXPECT_TRUE(frustum.enabled);
    EXPECT_TRUE(frustum.planeNormals.empty());
    frustum.setProjection(1.0f, 2.0f, 0.5f, 10.0f);
    EXPECT_FLOAT_EQ(frustum.tanHalfAngle, std::tan(0.5f));
    EXPECT_FLOAT_EQ(frustum.nearHalfHeight, 0.5f * std::tan(0.5f));
    EXPECT_FLOAT_EQ(frustum.nearHalfWidth, 2.0f * 0.5f * std::tan(0.5f));
    EXPECT_FLOAT_EQ(frustum.farHalfHeight, 10.0f * std::tan(0.5f));
    EXPECT_FLOAT_EQ(frustum.farHalfWidth, 20.0f * std::tan(0.5f));
}

TEST(Frustum, EveryPlaneFacesOutAndHoldsItsCorners) {
    const Frustum frustum = cameraFrustum(glm::vec3(1.0f, 2.0f, 3.0f));
    ASSERT_EQ(frustum.planeNormals.size(), 6u);
    ASSERT_EQ(frustum.planePoints.size(), 6u);
    ASSERT_EQ(frustum.planeOffsets.size(), 6u);
    const glm::vec3 inside(1.0f, 2.0f, -5.0f);  // on the axis, 8 ahead of the eye
    const glm::vec3 corners[] = {frustum.nearTopLeft, frustum.nearTopRight, frustum.nearBottomLeft,
                                 frustum.nearBottomRight, frustum.farTopLeft, frustum.farTopRight,
                                 frustum.farBottomLeft, frustum.farBottomRight};
    for (std::size_t i = 0; i < 6; ++i) {
        const glm::vec3& n = frustum.planeNormals[i];
        const float d = frustum.planeOffsets[i];
        EXPECT_LT(glm::dot(n, inside) + d, 0.0f) << "plane " << i;
        EXPECT_NEAR(glm::dot(n, frustum.planePoints[i]) + d, 0.0f, 1e-3f) << "plane " << i;
        int onPlane = 0;
        for (const glm::vec3& corner : corners) {
            const float s = (glm::dot(n, corner) + d) / glm::length(n);
            EXPECT_LT(s, 1e-3f) << "plane " << i;  // no corner lies outside any face
            if (std::fabs(s) < 1e-3f) ++onPlane;
        }
        EXPECT_EQ(onPlane, 4) << "plane " << i;
    }
    EXPECT_NEAR(frustum.farTopLeft.z, 3.0f - 20.0f, 1e-4f);
    EXPECT_NEAR(frustum.nearTopRight.y - 2.0f, 0.01f * std::tan(projection::cameraFieldOfView * 0.5f), 1e-6f);
}

TEST(Frustum, BoxAheadIsVisible) {
    const Frustum frustum = cameraFrustum();
    EXPECT_TRUE(frustum.isVisible(around({0.0f, 0.0f, -5.0f}, 0.5f)));
    EXPECT_TRUE(frustum.isVisible(-0.5f, 0.5f, -0.5f, 0.5f, -5.5f, -4.5f));
}

TEST(Frustum, BoxBehindTheCameraIsRejected) {
    const Frustum frustum = cameraFrustum();
    EXPECT_FALSE(frustum.isVisible(around({0.0f, 0.0f, 3.0f}, 0.5f)));
    // Even a wide box behind the eye is cut away by the near plane.
    EXPECT_FALSE(frustum.isVisible(Box {-50.0f, 50.0f, -50.0f, 50.0f, 0.5f, 2.0f}));
}

TEST(Frustum, BoxStraddlingASidePlaneIsVisible) {
    const Frustum frustum = cameraFrustum();
    // At 10 ahead the left edge lies at x = -10 * tan(fov / 2) * 16 / 9.
    const float edge = -10.0f * std::tan(projection::cameraFieldOfView * 0.5f) * 16.0f / 9.0f;
    EXPECT_TRUE(frustum.isVisible(around({edge, 0.0f, -10.0f}, 0.3f)));
    EXPECT_FALSE(frustum.isVisible(around({edge - 1.0f, 0.0f, -10.0f}, 0.3f)));
    EXPECT_TRUE(frustum.isVisible(around({0.0f, 0.0f, -20.0f}, 0.3f)));   // on the far plane
    EXPECT_FALSE(frustum.isVisible(around({0.0f, 0.0f, -21.0f}, 0.3f)));  // beyond it
    EXPECT_FALSE(frustum.isVisible(around({0.0f, 12.0f, -10.0f}, 0.3f))); // above
    EXPECT_FALSE(frustum.isVisible(around({0.0f, -12.0f, -10.0f}, 0.3f)));// below
}

TEST(Frustum, BoxContainingTheWholeFrustumIsVisible) {
    const Frustum frustum = cameraFrustum();
    EXPECT_TRUE(frustum.isVisible(around({0.0f, 0.0f, 0.0f}, 100.0f)));
}

TEST(Frustum, FollowsTheCameraAndKeepsItsStorage) {
    Frustum frustum = cameraFrustum();
    const Box ahead = around({0.0f, 0.0f, -5.0f}, 0.5f);
    ASSERT_TRUE(frustum.isVisible(ahead));
    const auto* storage = frustum.planeNormals.data();
    // Turned round: the same box is now behind.
    frustum.update(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_FALSE(frustum.isVisible(ahead));
    EXPECT_EQ(frustum.planeNormals.size(), 6u);
    EXPECT_EQ(frustum.planeNormals.data(), storage);
    // enabled is the caller's switch; the test answers the same without it.
    frustum.enabled = false;
    EXPECT_FALSE(frustum.isVisible(ahead));
}

TEST(Projection, SharedConstantsGiveTheKnownMatrices) {
    const glm::mat4 camera = projection::camera(projection::cameraFieldOfView, 1280, 720);
    const glm::mat4 spot = projection::spotLight();
    for (const glm::mat4& m : {camera, spot}) {
        EXPECT_NEAR(m[2][2], -1.0010005f, 1e-6f);
        EXPECT_FLOAT_EQ(m[2][3], -1.0f);
        EXPECT_NEAR(m[3][2], -0.020010004f, 1e-7f);
    }
    EXPECT_NEAR(spot[0][0], 1.0f / std::tan(0.785f), 1e-5f);
    EXPECT_NEAR(spot[1][1], 1.0f / std::tan(0.785f), 1e-5f);
    EXPECT_NEAR(camera[1][1], 1.0f / std::tan(1.0466667f / 2.0f), 1e-5f);
    EXPECT_NEAR(camera[0][0], camera[1][1] * 720.0f / 1280.0f, 1e-5f);
}

}  // namespace
