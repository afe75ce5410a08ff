#include "platform/RecordingInput.h"

#include <bit>
#include <cmath>

namespace {

bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

}  // namespace

RecordingInput::RecordingInput(InputSource& inputDevice) : device(inputDevice) {}

void RecordingInput::record(const demo::Change& change) {
    if (current.changes.size() >= demo::maxChangesPerFrame) return;  // a reader would refuse the frame
    answers.apply(change);
    current.changes.push_back(change);
}

bool RecordingInput::answerButton(std::uint32_t channel, bool down) {
    const std::uint32_t query = answers.nextQuery(channel);
    const bool before = channel == demo::focusChannel ? answers.unfocused : answers.down[channel];
    if (before != down && query < demo::maxQueriesPerFrame) {
        demo::Change change;
        change.channel = channel;
        change.query = query;
        change.down = down;
        record(change);
    }
    return down;
}

bool RecordingInput::keyDown(int key) {
    const bool down = device.keyDown(key);
    if (key < 0 || key > Key::Last) return down;
    return answerButton(static_cast<std::uint32_t>(key), down);
}

bool RecordingInput::mouseButtonDown(int button) {
    const bool down = device.mouseButtonDown(button);
    if (button < 0 || button >= MouseButton::Count) return down;
    return answerButton(demo::buttonChannel0 + static_cast<std::uint32_t>(button), down);
}

void RecordingInput::cursorPosition(double& x, double& y) {
    device.cursorPosition(x, y);
    const std::uint32_t query = answers.nextQuery(demo::cursorChannel);
    double replayX = 0.0;
    double replayY = 0.0;
    answers.cursor(replayX, replayY);
    if ((sameBits(replayX, x) && sameBits(replayY, y)) || query >= demo::maxQueriesPerFrame) return;

    demo::Change change;
    change.channel = demo::cursorChannel;
    change.query = query;
    // An offset where it gives back exactly this answer, else the position itself.
    const double dx = x - answers.setX;
    const double dy = y - answers.setY;
    change.cursor.absolute = !(sameBits(answers.setX + dx, x) && sameBits(answers.setY + dy, y));
    change.cursor.x = change.cursor.absolute ? x : dx;
    change.cursor.y = change.cursor.absolute ? y : dy;
    record(change);
}

void RecordingInput::setCursorPosition(double x, double y) {
    device.setCursorPosition(x, y);
    answers.setX = x;
    answers.setY = y;
}

double RecordingInput::time() {
    if (!clockRead) {
        const double now = device.time();
        const double micros = std::isfinite(now) && now > 0.0 ? std::round(now * 1e6) : 0.0;
        const auto reading = micros < 1.8e19 ? static_cast<std::uint64_t>(micros) : clockMicros;
        // The game never sees its clock run backwards in a replay either.
        if (reading > clockMicros) clockMicros = reading;
        clockRead = true;
    }
    return demo::clockSeconds(clockMicros);
}

bool RecordingInput::gamepad(GamepadState& state) {
    const bool connected = device.gamepad(state);
    const std::uint32_t query = answers.nextQuery(demo::padChannel);
    demo::Change change;
    change.channel = demo::padChannel;
    change.query = query;
    change.pad.connected = connected;
    change.pad.state = state;
    demo::Change now;
    now.channel = demo::padChannel;
    now.pad = answers.pad;
    if (!demo::sameAnswer(change, now) && query < demo::maxQueriesPerFrame) record(change);
    return connected;
}

bool RecordingInput::focused() { return !answerButton(demo::focusChannel, !device.focused()); }

void RecordingInput::setWindowTitle(const std::string& title) { device.setWindowTitle(title); }

void RecordingInput::endFrame() {
    device.endFrame();
    current.clockMicros = clockMicros;
    recording.frames.push_back(std::move(current));
    current = demo::Frame {};
    answers.newFrame();
    clockRead = false;
}

bool RecordingInput::save(const std::string& path, const std::string& endState, std::string& error) {
    recording.endState = endState;
    return demo::saveDemo(path, recording, error);
}
