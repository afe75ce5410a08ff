#include "physics/ConvexHull.h"

#include <algorithm>
#include <cmath>

#include <LinearMath/btConvexHullComputer.h>

namespace {

// Flat or thinner than this (relative to the point cloud's size) is no solid.
constexpr btScalar flatTolerance = 1e-6f;

std::size_t farthestFrom(const std::vector<btVector3>& points, const btVector3& p)
{
    std::size_t best = 0;
    btScalar bestDistance = -1;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const btScalar d = (points[i] - p).length2();
        if (d > bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// True when the points span a volume: not all on one point, line or plane.
bool spansVolume(const std::vector<btVector3>& points)
{
    if (points.size() < 4)
        return false;
    const btVector3 a = points[farthestFrom(points, points[0])];
    const btVector3 b = points[farthestFrom(points, a)];
    const btScalar size = (b - a).length();
    if (size <= 0)
        return false;
    const btVector3 axis = (b - a) / size;
    btScalar lineDistance = 0;
    btVector3 c = a;
    for (const btVector3& p : points) {
        const btVector3 off = (p - a) - axis * axis.dot(p - a);
        if (off.length() > lineDistance) {
            lineDistance = off.length();
            c = p;
        }
    }
    if (lineDistance <= size * flatTolerance)
        return false;
    const btVector3 normal = (b - a).cross(c - a).normalized();
    for (const btVector3& p : points) {
        if (std::fabs(normal.dot(p - a)) > size * flatTolerance)
            return true;
    }
    return false;
}

btScalar hullVolume(const btConvexHullComputer& computer)
{
    btScalar volume = 0;
    for (int f = 0; f < computer.faces.size(); ++f) {
        const btConvexHullComputer::Edge* first = &computer.edges[computer.faces[f]];
        const btVector3& origin = computer.vertices[first->getSourceVertex()];
        const btConvexHullComputer::Edge* edge = first->getNextEdgeOfFace();
        while (edge->getTargetVertex() != first->getSourceVertex()) {
            const btVector3& b = computer.vertices[edge->getSourceVertex()];
            const btVector3& c = computer.vertices[edge->getTargetVertex()];
            volume += origin.dot(b.cross(c)) / 6;
            edge = edge->getNextEdgeOfFace();
        }
    }
    return std::fabs(volume);
}

bool computeHull(const std::vector<btVector3>& points, btConvexHullComputer& computer)
{
    computer.compute(points[0].m_floats, static_cast<int>(sizeof(btVector3)),
                     static_cast<int>(points.size()), 0, 0);
    return computer.vertices.size() >= 4 && computer.faces.size() >= 4;
}

// Keeps at most `limit` corners: the farthest one along each of `limit`
// directions spread evenly over the sphere, which keeps a dense hull's outline.
std::vector<btVector3> reduceCorners(const btConvexHullComputer& computer, int limit)
{
    std::vector<btVector3> kept;
    std::vector<bool> used(static_cast<std::size_t>(computer.vertices.size()), false);
    const btScalar golden = btScalar(M_PI) * (3 - std::sqrt(btScalar(5)));
    for (int i = 0; i < limit; ++i) {
        const btScalar y = 1 - 2 * (static_cast<btScalar>(i) + btScalar(0.5)) / static_cast<btScalar>(limit);
        const btScalar ring = std::sqrt(std::max(btScalar(0), 1 - y * y));
        const btScalar angle = golden * static_cast<btScalar>(i);
        const btVector3 dir(std::cos(angle) * ring, y, std::sin(angle) * ring);
        int best = 0;
        for (int v = 1; v < computer.vertices.size(); ++v) {
            if (computer.vertices[v].dot(dir) > computer.vertices[best].dot(dir))
                best = v;
        }
        if (!used[static_cast<std::size_t>(best)]) {
            used[static_cast<std::size_t>(best)] = true;
            kept.push_back(computer.vertices[best]);
        }
    }
    return kept;
}

} // namespace

bool buildConvexHull(const std::vector<glm::vec3>& vertices, const btVector3& centre, ConvexHull& hull)
{
    std::vector<btVector3> points;
    points.reserve(vertices.size());
    for (const glm::vec3& v : vertices)
        points.emplace_back(btVector3(v.x, v.y, v.z) - centre);
    if (!spansVolume(points))
        return false;

    btConvexHullComputer computer;
    if (!computeHull(points, computer))
        return false;
    if (computer.vertices.size() > ConvexHull::maxVertices) {
        points = reduceCorners(computer, ConvexHull::maxVertices);
        if (!spansVolume(points) || !computeHull(points, computer))
            return false;
    }
    hull.points.assign(&computer.vertices[0], &computer.vertices[0] + computer.vertices.size());
    hull.volume = hullVolume(computer);
    return hull.volume > 0;
}
