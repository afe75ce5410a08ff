#pragma once

#include "app/CommandLine.h"
#include "app/Frame.h"
#include "app/Timedemo.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

struct GameContext;
class GpuTimer;
class InputSource;
class RecordingInput;
class Renderer;
class ReplayInput;
class Window;

// How a run ended, as a demo keeps it: eye, meters, pick-ups, game state and
// window title, the numbers exact (hexadecimal) with a readable copy.
std::string describeEndState(const GameContext& context);

// The lines where two end states differ, as "recorded"/"replayed" pairs;
// empty when they are the same.
std::string endStateDifferences(const std::string& recorded, const std::string& replayed);

// What the command line asks of one run: play, record, replay or timedemo.
// In play it stays out of the way: the device is the input and there is no
// observer.
class DemoSession : public FrameObserver {
public:
    using Clock = std::chrono::steady_clock;

    DemoSession(const CommandLine& options, Clock::time_point processStart);
    ~DemoSession() override;

    // Reads the demo of a replay or timedemo, or makes sure a recording can
    // be written. False with a message naming the file.
    bool load(std::string& error);
    // The input the game runs on: the device, a recorder around it, or the replay.
    InputSource& input(InputSource& device);
    // What watches the loop: this session, or a do-nothing one in plain play.
    FrameObserver& observer();
    // Once the scene is set up (GL context current).
    void start(GameContext& context);
    // After the loop: writes the recording, or reports the replay (and, with
    // --floor, times bare full-screen passes in the same window). Returns the
    // exit status. Releases the GPU timer, so the GL context must still exist.
    int finish(GameContext& context, Window& window);

    void frameBegins() override;
    void updateBegins() override;
    void updateEnds() override;
    bool frameEnds() override;

private:
    void reportFloor(Window& window, int width, int height, double frameMedianMs);

    CommandLine options;
    Clock::time_point processStart;
    std::unique_ptr<RecordingInput> recorder;
    std::unique_ptr<ReplayInput> replayer;
    std::unique_ptr<GpuTimer> gpuTimer;
    const Renderer* renderer = nullptr;  // what it drew each frame: scale, flashlight

    int frames = 0;
    Clock::time_point runStart;
    Clock::time_point lastFrameEnd;
    Clock::time_point updateStart;
    double startupSeconds = 0.0;
    double cpuAtStart = 0.0;  // process CPU seconds when the first frame began
    std::vector<TimedemoFrame> timings;
    TimedemoFrame frame;
    FrameObserver plainPlay;
};
