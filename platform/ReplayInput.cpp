#include "platform/ReplayInput.h"

#include <utility>

ReplayInput::ReplayInput(demo::Demo demoRecording, InputSource* titleWindow)
    : recording(std::move(demoRecording)), window(titleWindow) {}

void ReplayInput::answer(std::uint32_t channel) {
    const std::uint32_t query = answers.nextQuery(channel);
    if (finished()) return;
    for (const demo::Change& change : recording.frames[static_cast<std::size_t>(frameIndex)].changes) {
        if (change.channel == channel && change.query == query) {
            answers.apply(change);
            ++applied;
        }
    }
}

bool ReplayInput::keyDown(int key) {
    if (key < 0 || key > Key::Last) return false;
    const auto channel = static_cast<std::uint32_t>(key);
    answer(channel);
    return answers.down[channel];
}

bool ReplayInput::mouseButtonDown(int button) {
    if (button < 0 || button >= MouseButton::Count) return false;
    const std::uint32_t channel = demo::buttonChannel0 + static_cast<std::uint32_t>(button);
    answer(channel);
    return answers.down[channel];
}

void ReplayInput::cursorPosition(double& x, double& y) {
    answer(demo::cursorChannel);
    answers.cursor(x, y);
}

void ReplayInput::setCursorPosition(double x, double y) {
    answers.setX = x;
    answers.setY = y;
}

double ReplayInput::time() {
    if (recording.frames.empty()) return 0.0;
    const std::size_t last = recording.frames.size() - 1;
    const std::size_t f = static_cast<std::size_t>(frameIndex) < last ? static_cast<std::size_t>(frameIndex) : last;
    return demo::clockSeconds(recording.frames[f].clockMicros);
}

bool ReplayInput::gamepad(GamepadState& state) {
    answer(demo::padChannel);
    state = answers.pad.state;
    return answers.pad.connected;
}

bool ReplayInput::focused() {
    answer(demo::focusChannel);
    return !answers.unfocused;
}

void ReplayInput::setWindowTitle(const std::string& title) {
    windowTitle = title;
    if (window != nullptr) window->setWindowTitle(title);
}

void ReplayInput::endFrame() {
    if (!finished()) {
        const std::size_t recorded = recording.frames[static_cast<std::size_t>(frameIndex)].changes.size();
        if (applied != recorded && firstDivergence < 0) firstDivergence = frameIndex;
        ++frameIndex;
    }
    applied = 0;
    answers.newFrame();
}
