#pragma once

#include "platform/DemoFile.h"
#include "platform/Input.h"

#include <string>

// Passes the game's questions to the real input and writes down every answer
// that differs from what a replay would give, frame by frame, with the
// frame's clock. The clock is read once per frame (at the frame's first
// question), in whole microseconds, and every later question in the frame
// gets that same value: that is what a replay can give back bit for bit.
class RecordingInput : public InputSource {
public:
    explicit RecordingInput(InputSource& device);

    bool keyDown(int key) override;
    bool mouseButtonDown(int button) override;
    void cursorPosition(double& x, double& y) override;
    void setCursorPosition(double x, double y) override;
    double time() override;
    bool gamepad(GamepadState& state) override;
    bool focused() override;
    void setWindowTitle(const std::string& title) override;
    void endFrame() override;

    // Frames finished so far (a frame ends with endFrame).
    int frameCount() const { return static_cast<int>(recording.frames.size()); }
    // The recording so far with how the run ended, as a file.
    bool save(const std::string& path, const std::string& endState, std::string& error);
    const demo::Demo& demo() const { return recording; }

private:
    bool answerButton(std::uint32_t channel, bool down);
    void record(const demo::Change& change);

    InputSource& device;
    demo::Demo recording;
    demo::Frame current;
    demo::AnswerState answers;
    bool clockRead = false;
    std::uint64_t clockMicros = 0;
};
