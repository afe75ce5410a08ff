#pragma once

#include "platform/DemoFile.h"
#include "platform/Input.h"

#include <string>

// Answers the game's questions from a recording instead of the clock and the
// devices. Titles still go to the window when one is given; the real cursor
// is left alone. After the last recorded frame every answer stays as it was.
class ReplayInput : public InputSource {
public:
    explicit ReplayInput(demo::Playback recording, InputSource* window = nullptr);
    explicit ReplayInput(const demo::Demo& recording, InputSource* window = nullptr);

    bool keyDown(int key) override;
    bool mouseButtonDown(int button) override;
    void cursorPosition(double& x, double& y) override;
    void setCursorPosition(double x, double y) override;
    double time() override;
    bool gamepad(GamepadState& state) override;
    bool focused() override;
    void setWindowTitle(const std::string& title) override;
    void endFrame() override;

    // Frames replayed so far (a frame ends with endFrame).
    int frame() const { return frameIndex; }
    int frameCount() const { return static_cast<int>(recording.frameCount()); }
    bool finished() const { return frameIndex >= frameCount(); }
    // The first frame whose recorded answers were not all asked for, which
    // means the game took another path than when it was recorded; -1 if none.
    int divergedAt() const { return firstDivergence; }
    const std::string& endState() const { return recording.endState(); }
    // The recorded clock of the frame now replayed, from the first frame's.
    double recordedSeconds() const;
    // Where titles go from now on (the window's input), or nowhere.
    void sendTitlesTo(InputSource* titleWindow) { window = titleWindow; }

    std::string windowTitle;  // the last title the game set

private:
    // Applies the recorded change for this query, if there is one.
    void answer(std::uint32_t channel);

    demo::Playback recording;
    demo::Frame current;  // stays the last after the end
    std::uint64_t firstClock = 0;
    InputSource* window;
    demo::AnswerState answers;
    int frameIndex = 0;
    std::size_t applied = 0;  // changes of this frame used so far
    int firstDivergence = -1;
};
