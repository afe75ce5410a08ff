#include "platform/ReplayInput.h"

#include <utility>

ReplayInput::ReplayInput(demo::Playback demoRecording, InputSource* titleWindow)
    : recording(std::move(demoRecording)), window(titleWindow) {
    recording.rewind();
    if (recording.next(current)) firstClock = current.clockMicros;
}

namespace {

demo::Playback played(const demo::Demo& recording) {
    demo::Playback playback;
    std::string ignored;
    playback.open(demo::encode(recording), ignored);
    return playback;
}

}  // namespace

ReplayInput::ReplayInput(const demo::Demo& demoRecording, InputSource* titleWindow)
    : ReplayInput(played(demoRecording), titleWindow) {}

double ReplayInput::recordedSeconds() const {
    return demo::clockSeconds(current.clockMicros) - demo::clockSeconds(firstClock);
}

void ReplayInput::answer(std::uint32_t channel) {
    const std::uint32_t query = answers.nextQuery(channel);
    if (finished()) return;
    for (const demo::Change& change : current.changes) {
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

double ReplayInput::time() { return demo::clockSeconds(current.clockMicros); }

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
        if (applied != current.changes.size() && firstDivergence < 0) firstDivergence = frameIndex;
        ++frameIndex;
        demo::Frame following;
        if (recording.next(following)) current = std::move(following);
    }
    applied = 0;
    answers.newFrame();
}
