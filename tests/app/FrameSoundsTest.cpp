// The sound calls of one playing frame, as text, for where the listener stands.
#include "app/FrameSounds.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::string vec(glm::vec3 v) {
    std::ostringstream out;
    out << " (" << v.x << "," << v.y << "," << v.z << ")";
    return out.str();
}

// One call as text; a placed sound shows where it is and the listener it is heard from.
std::string text(const SoundCall& call, const Listener& listener) {
    std::ostringstream line;
    switch (call.kind) {
    case SoundCall::Kind::Play: line << "play " << call.id << " " << call.volume; break;
    case SoundCall::Kind::Play3D:
        line << "play3D " << call.id << " " << call.minDistance << " " << call.maxDistance << " " << call.volume;
        break;
    case SoundCall::Kind::Pause: line << "pause " << call.id; break;
    case SoundCall::Kind::Place:
        line << "update3D " << call.id << vec(call.position) << vec(listener.position) << vec(glm::vec3(0.0f))
             << vec(listener.direction) << vec(listener.up);
        break;
    }
    return line.str();
}

// Ids away from the defaults: the frame must use the ones the set-up handed out.
const SoundIds ids{20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};

std::vector<std::string> frameAt(glm::vec3 eye, bool moving = false) {
    // The direction is not unit: behind is still one unit away.
    const Listener listener{eye, {0.0f, 0.0f, 2.0f}, {0.0f, 1.0f, 0.0f}, moving};
    std::vector<std::string> lines;
    for (const SoundCall& call : frameSounds(ids, listener)) lines.push_back(text(call, listener));
    return lines;
}

TEST(FrameSounds, QuietCornerInOrder) {
    const std::string listener = " (1,1.2,1) (0,0,0) (0,0,2) (0,1,0)";
    const std::vector<std::string> want{
        "play 20 0.3", "update3D 22 (2.25,1.2,-1.94)" + listener, "play3D 22 0.1 10000 1", "play 28 1",
        "update3D 29 (1,1.2,0)" + listener, "update3D 30 (1,1.2,0)" + listener,
        "update3D 31 (1,1.2,0)" + listener, "pause 21"};
    EXPECT_EQ(frameAt({1.0f, 1.2f, 1.0f}), want);
    EXPECT_EQ(frameAt({1.0f, 1.2f, 1.0f}, true).back(), "play 21 0.1");  // footsteps while moving
}

TEST(FrameSounds, EachBoxAddsItsLineInItsPlace) {
    struct Case { glm::vec3 eye; std::size_t at; const char* line; };
    const Case cases[] = {
        {{-5.75f, 1.2f, 3.3f}, 3, "play 23 1"},  {{-2.8f, 2.5f, -12.6f}, 3, "play 24 1"},
        {{-7.5f, 1.2f, -7.9f}, 3, "play 26 1"},  {{0.75f, 2.5f, 6.5f}, 3, "play 27 1"},
        {{-3.2f, 2.5f, -12.6f}, 6, "play3D 30 100 10000 1"},
        {{-7.5f, 1.2f, -13.2f}, 7, "play3D 31 100 10000 1"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> lines = frameAt(c.eye);
        ASSERT_EQ(lines.size(), 9u) << c.line;
        EXPECT_EQ(lines[c.at], c.line);
    }
}

}  // namespace
