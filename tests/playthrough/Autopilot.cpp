#include "Autopilot.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>

#include "app/Camera.h"

std::vector<Waypoint> readRoute(const std::string& path) {
    std::vector<Waypoint> route;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Waypoint point;
        int crouched = 0;
        if (!(fields >> point.xz.x >> point.xz.y >> point.floor >> crouched)) continue;
        point.crouched = crouched != 0;
        std::getline(fields >> std::ws, point.goal);
        route.push_back(point);
    }
    return route;
}

float angleBetween(float a, float b) {
    const float pi = std::numbers::pi_v<float>;
    float d = std::fmod(a - b, 2.0f * pi);
    if (d > pi) d -= 2.0f * pi;
    if (d < -pi) d += 2.0f * pi;
    return d;
}

Steering steerTowards(const Camera& camera, glm::vec2 target, float wantedPitch) {
    // About 540 degrees a second at 60 frames: a quick flick, not a teleport.
    constexpr float maxTurn = 0.15f;
    // Walk only roughly facing the point, so corners are not cut into walls.
    constexpr float walkCone = 0.35f;
    const glm::vec2 to = target - glm::vec2(camera.position.x, camera.position.z);
    // The camera looks along (sin yaw, cos yaw) on the ground.
    const float wanted = std::atan2(to.x, to.y);
    const float error = angleBetween(wanted, camera.horizontalAngle);
    Steering out;
    out.yaw = std::clamp(error, -maxTurn, maxTurn);
    out.pitch = std::clamp(wantedPitch - camera.verticalAngle, -maxTurn, maxTurn);
    out.walk = std::fabs(error - out.yaw) < walkCone;
    return out;
}
