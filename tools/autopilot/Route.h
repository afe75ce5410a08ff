#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <glm/vec2.hpp>

// A walk through the level as tools/level writes it: one point a line,
// "x z floor crouched [goal]" (capsule centre), '#' lines are comments.
// Read by the demo autopilot and by the playthrough test.
struct Waypoint {
    glm::vec2 xz{0.0f};
    float floor = 0.0f;
    bool crouched = false;
    std::string goal;  // the box the leg ends in: "pick-up 2", "voice 1", "exit"
};

inline std::vector<Waypoint> readRoute(const std::string& path) {
    std::vector<Waypoint> route;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Waypoint w;
        int crouched = 0;
        if (!(fields >> w.xz.x >> w.xz.y >> w.floor >> crouched)) continue;
        w.crouched = crouched != 0;
        std::getline(fields >> std::ws, w.goal);
        route.push_back(w);
    }
    return route;
}
