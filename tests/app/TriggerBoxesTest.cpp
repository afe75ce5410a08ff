// Which trigger box holds an eye: bounds are exclusive, and height 2 splits the
// ground floor from the raised parts.
#include "app/TriggerBoxes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::pair<const char*, const TriggerBox&> allBoxes[] = {
    {"pickup 0", boxes::pickup[0]}, {"pickup 1", boxes::pickup[1]}, {"pickup 2", boxes::pickup[2]},
    {"voice 1", boxes::voice1},     {"voice 2", boxes::voice2},     {"voice 3", boxes::voice3},
    {"voice 4", boxes::voice4},     {"enemy 1", boxes::enemy1},     {"enemy 2", boxes::enemy2},
    {"exit", boxes::exitBox},
};

TEST(TriggerBoxes, WhichBoxHoldsTheEye) {
    struct Case { glm::vec3 eye; std::string holds; };
    const Case cases[] = {
        {{-5.6f, 1.2f, 7.2f}, "pickup 0"},   {{-0.5f, 1.2f, 7.5f}, "pickup 1"},
        {{3.0f, 1.2f, -7.8f}, "pickup 2"},   {{-5.75f, 1.2f, 3.3f}, "voice 1"},
        {{-2.8f, 2.5f, -12.6f}, "voice 2"},  {{-7.5f, 1.2f, -7.9f}, "voice 3"},
        {{0.75f, 2.5f, 6.5f}, "voice 4"},    {{-3.2f, 2.5f, -12.6f}, "enemy 1"},
        {{-7.5f, 1.2f, -13.2f}, "enemy 2"},  {{-3.5f, 2.5f, 6.0f}, "exit"},
        {{-3.5f, 1.2f, 6.0f}, ""},           {{-2.8f, 1.9f, -12.6f}, ""},  // raised boxes, eye below
        {{-5.75f, 2.1f, 3.3f}, ""},          {{-5.75f, 1.99f, 3.3f}, "voice 1"},
        {{-5.75f, 2.0f, 3.3f}, ""},          {{-3.5f, 2.0f, 6.0f}, ""},    // exactly 2: neither floor
        {{-6.0f, 1.2f, 3.3f}, ""},           {{-5.5f, 1.2f, 3.3f}, ""},    // on each edge of voice 1
        {{-5.75f, 1.2f, 3.2f}, ""},          {{-5.75f, 1.2f, 3.4f}, ""},
        {{-2.3f, 2.5f, 6.0f}, ""},           {{1.0f, 1.2f, 1.0f}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "eye (" << c.eye.x << ", " << c.eye.y << ", " << c.eye.z << ")");
        for (const auto& [name, box] : allBoxes) EXPECT_EQ(box.contains(c.eye), c.holds == name) << name;
    }
}

}  // namespace
