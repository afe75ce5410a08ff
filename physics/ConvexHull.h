#pragma once

#include <vector>

#include <LinearMath/btVector3.h>
#include <glm/vec3.hpp>

// A convex hull of a model's raw vertices, ready for a btConvexHullShape.
struct ConvexHull {
    static constexpr int maxVertices = 256;

    std::vector<btVector3> points; // hull corners, relative to the centre handed in
    btScalar volume = 0;
};

// Builds the hull of `vertices` moved by -centre. Returns false when no solid
// hull exists: fewer than 4 points, or all of them on one plane or line.
bool buildConvexHull(const std::vector<glm::vec3>& vertices, const btVector3& centre, ConvexHull& hull);
