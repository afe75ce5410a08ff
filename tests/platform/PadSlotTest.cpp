// The pad is the first connected joystick with a gamepad mapping, in any
// slot, and the game stays with it until it goes.
#include <gtest/gtest.h>

#include "platform/GamepadMapping.h"

TEST(PadSlot, FirstMappedPadIsKeptWhileItIsThere) {
    const JoystickSlot none, pad{true, true}, stick{true, false};
    const std::tuple<std::vector<JoystickSlot>, int, int> rows[] = {  // slots, the one in use, the one to use
        {{}, -1, -1},
        {{none, stick, none}, -1, -1},  // a joystick without a mapping is no pad
        {{none, stick, pad, pad}, -1, 2},
        {{pad, none, pad}, 2, 2},       // a pad plugged in lower down does not take over
        {{none, none, pad}, 0, 2},      // the one in use was unplugged
        {{pad, stick}, 1, 0},           // the one in use lost its mapping
        {{pad}, 16, 0},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row)
        EXPECT_EQ(padSlot(std::get<0>(rows[row]), std::get<1>(rows[row])), std::get<2>(rows[row])) << "row " << row;
}
