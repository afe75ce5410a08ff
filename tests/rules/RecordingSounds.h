#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "app/SoundSink.h"

// Writes every sound call as one line of text, so a test can compare a
// frame's calls in order.
class RecordingSounds : public SoundSink {
public:
    void play(int id, float volume) override {
        add() << "play " << id << " " << volume;
    }
    void play3D(int id, float minDistance, float maxDistance, float volume) override {
        add() << "play3D " << id << " " << minDistance << " " << maxDistance << " " << volume;
    }
    void pause(int id) override { add() << "pause " << id; }
    void update3D(int id, glm::vec3 at, glm::vec3 listener, glm::vec3 velocity, glm::vec3 forward,
                  glm::vec3 up) override {
        std::ostringstream& line = add();
        line << "update3D " << id;
        for (const glm::vec3& v : {at, listener, velocity, forward, up}) {
            line << " (" << v.x << "," << v.y << "," << v.z << ")";
        }
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const auto& s : calls) out.push_back(s.str());
        return out;
    }
    void clear() { calls.clear(); }

private:
    std::ostringstream& add() {
        calls.emplace_back();
        return calls.back();
    }
    std::vector<std::ostringstream> calls;
};
