#include "app/DemoSession.h"

#include "app/GameContext.h"
#include "platform/AtomicFile.h"
#include "platform/RecordingInput.h"
#include "platform/ReplayInput.h"
#include "platform/Window.h"
#include "render/FloorPasses.h"
#include "render/GpuTimer.h"
#include "render/Renderer.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

std::string exact(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%a (%.4f)", static_cast<double>(value), static_cast<double>(value));
    return text;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

double seconds(DemoSession::Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

std::string describeEndState(const GameContext& context) {
    const Camera& camera = context.camera;
    std::ostringstream out;
    out << "eye x " << exact(camera.position.x) << '\n'
        << "eye y " << exact(camera.position.y) << '\n'
        << "eye z " << exact(camera.position.z) << '\n'
        << "energy " << exact(camera.energy) << '\n'
        << "fear " << exact(camera.fear) << '\n'
        << "pickups " << exact(camera.pickups) << '\n'
        << "collected";
    for (int pickup : context.collectedPickups) out << ' ' << pickup;
    out << '\n'
        << "playing " << camera.playing << " won " << context.won << " played " << context.hasPlayed << " help "
        << context.helpShown << '\n'
        << "title " << context.windowTitle << '\n';
    return out.str();
}

std::string endStateDifferences(const std::string& recorded, const std::string& replayed) {
    const std::vector<std::string> a = lines(recorded);
    const std::vector<std::string> b = lines(replayed);
    std::string out;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string left = i < a.size() ? a[i] : "";
        const std::string right = i < b.size() ? b[i] : "";
        if (left != right) out += "  recorded: " + left + "\n  replayed: " + right + "\n";
    }
    return out;
}

DemoSession::DemoSession(const CommandLine& commandLine, Clock::time_point start)
    : options(commandLine), processStart(start) {}

DemoSession::~DemoSession() = default;

bool DemoSession::load(std::string& error) {
    if (options.mode == CommandLine::Mode::Record) {
        // Asked now, not after a whole session is played: the save's
        // temporary can be made beside it (and is gone again at once), so
        // an older demo of that name is not touched until the save.
        AtomicFile probe(options.demoPath);
        std::error_code ignored;
        if (std::filesystem::is_directory(options.demoPath, ignored) || !probe.open()) {
            error = "demo " + options.demoPath + ": cannot be written";
            return false;
        }
        return true;
    }
    if (options.mode != CommandLine::Mode::Replay && options.mode != CommandLine::Mode::Timedemo) return true;
    if (options.mode == CommandLine::Mode::Timedemo) {
        // Asked before the run, like a recording's file.
        const std::filesystem::path folder = std::filesystem::path(options.report).parent_path();
        const std::string name = folder.empty() ? "." : folder.string();
        std::error_code ignored;
        if (!std::filesystem::is_directory(name, ignored) || ::access(name.c_str(), W_OK) != 0) {
            error = "report " + options.report + ": cannot be written";
            return false;
        }
    }
    demo::Playback demo;
    if (!demo::openDemo(options.demoPath, demo, error)) {
        error = "demo " + options.demoPath + ": " + error;
        return false;
    }
    if (demo.frameCount() == 0) {
        error = "demo " + options.demoPath + ": no frames";
        return false;
    }
    replayer = std::make_unique<ReplayInput>(std::move(demo));
    return true;
}

InputSource& DemoSession::input(InputSource& device) {
    if (options.mode == CommandLine::Mode::Record) {
        if (!recorder) recorder = std::make_unique<RecordingInput>(device);
        return *recorder;
    }
    if (replayer) {
        replayer->sendTitlesTo(&device);
        return *replayer;
    }
    return device;
}

FrameObserver& DemoSession::observer() {
    if (options.mode == CommandLine::Mode::Play) return plainPlay;
    return *this;
}

void DemoSession::start(GameContext& context) {
    if (options.mode == CommandLine::Mode::Timedemo) {
        gpuTimer = std::make_unique<GpuTimer>();
        if (context.renderer) context.renderer->setGpuTimer(gpuTimer.get());
    }
    renderer = context.renderer.get();
}

void DemoSession::frameBegins() {
    const Clock::time_point now = Clock::now();
    if (frames == 0) {
        runStart = now;
        lastFrameEnd = now;
        cpuAtStart = processCpuSeconds();
    }
    // A replay keeps the recorded pace where the machine is faster; a timedemo runs flat out.
    if (options.mode == CommandLine::Mode::Replay && replayer && !replayer->finished()) {
        const double ahead = replayer->recordedSeconds() - seconds(now - runStart);
        if (ahead > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(ahead));
    }
    frame = TimedemoFrame {};
    if (gpuTimer) gpuTimer->beginFrame(frames);
}

void DemoSession::updateBegins() { updateStart = Clock::now(); }

void DemoSession::updateEnds() { frame.updateMs = seconds(Clock::now() - updateStart) * 1e3; }

bool DemoSession::frameEnds() {
    if (gpuTimer) gpuTimer->endFrame();
    const Clock::time_point now = Clock::now();
    if (frames == 0) startupSeconds = seconds(now - processStart);
    frame.frameMs = seconds(now - lastFrameEnd) * 1e3;
    if (renderer != nullptr) {
        frame.renderScale = renderer->drawCounts().renderScale;
        frame.flashlightOn = renderer->drawCounts().flashlightOn;
    }
    lastFrameEnd = now;
    timings.push_back(frame);
    ++frames;
    if (options.frames > 0 && frames >= options.frames) return false;
    return !(replayer && replayer->finished());
}

// The same number of frames of nothing but full-screen passes, swapped like
// the game's: what the frame costs beyond touching every pixel that often.
void DemoSession::reportFloor(Window& window, int width, int height, double frameMedianMs) {
    FloorPasses floor(width, height);
    std::vector<double> floorMs;
    Clock::time_point last = Clock::now();
    for (int i = 0; i < std::max(frames, 1); ++i) {
        floor.draw();
        window.swapBuffers();
        const Clock::time_point now = Clock::now();
        floorMs.push_back(seconds(now - last) * 1e3);
        last = now;
    }
    const double floorMedian = median(floorMs);
    char text[160];
    std::snprintf(text, sizeof text, "floor median            %.2f ms (%d one-tap full-screen passes)\n"
                                     "frame / floor           %.2f x\n",
                  floorMedian, FloorPasses::passCount, floorMedian > 0.0 ? frameMedianMs / floorMedian : 0.0);
    std::cout << text << std::flush;
}

int DemoSession::finish(GameContext& context, Window& window) {
    if (options.mode == CommandLine::Mode::Record) {
        if (!recorder) return 0;
        std::string error;
        if (!recorder->save(options.demoPath, describeEndState(context), error)) {
            std::cout << "demo " << options.demoPath << ": " << error << std::endl;
            return 1;
        }
        std::cout << "recorded " << recorder->frameCount() << " frames to " << options.demoPath << std::endl;
        return 0;
    }
    if (!replayer) return 0;

    if (replayer->finished()) {
        const std::string differences = endStateDifferences(replayer->endState(), describeEndState(context));
        if (differences.empty()) {
            std::cout << "replay ends as recorded" << std::endl;
        } else {
            std::cout << "replay ends differently from the recording";
            if (replayer->divergedAt() >= 0) std::cout << " (input asked differently from frame " << replayer->divergedAt() + 1 << ")";
            std::cout << ":\n" << differences << std::flush;
        }
    } else {
        std::cout << "replay stopped after " << replayer->frame() << " of " << replayer->frameCount() << " frames"
                  << std::endl;
    }
    if (options.mode != CommandLine::Mode::Timedemo) return 0;

    gpuTimer->finish();
    for (const GpuTimer::FrameTimes& times : gpuTimer->results) {
        if (times.frame < 0 || static_cast<std::size_t>(times.frame) >= timings.size()) continue;
        TimedemoFrame& f = timings[static_cast<std::size_t>(times.frame)];
        f.gpuMs = times.ms;
        f.gpuKnown = true;
    }
    if (context.renderer) context.renderer->setGpuTimer(nullptr);
    gpuTimer.reset();

    const double runSeconds = frames > 0 ? seconds(lastFrameEnd - runStart) : 0.0;
    TimedemoSummary summary = summarize(timings, runSeconds, startupSeconds, peakMemoryMiB());
    if (frames > 0) summary.processCpuMsPerFrame = (processCpuSeconds() - cpuAtStart) * 1e3 / frames;
    const std::string heading = "timedemo " + options.demoPath + ": " + std::to_string(context.settings.width) +
                                "x" + std::to_string(context.settings.height) + ", shadow maps " +
                                std::to_string(context.settings.shadowMapSize) +
                                (context.settings.targetFps > 0
                                     ? ", target " + std::to_string(context.settings.targetFps) + " fps"
                                     : ", render scale " + std::to_string(context.settings.renderScale).substr(0, 4));
    printReport(std::cout, heading, summary);
    if (options.floor) reportFloor(window, context.settings.width, context.settings.height, summary.medianMs);
    std::ostringstream csv;
    writeCsv(csv, timings);
    std::ostringstream svg;
    writeSvg(svg, heading, timings, summary);
    const bool csvWritten = writeFileAtomically(options.report + ".csv", csv.str());
    if (!csvWritten || !writeFileAtomically(options.report + ".svg", svg.str())) {
        std::cout << "cannot write " << options.report << ".csv or .svg" << std::endl;
        return 1;
    }
    std::cout << "wrote " << options.report << ".csv and " << options.report << ".svg" << std::endl;
    return 0;
}
