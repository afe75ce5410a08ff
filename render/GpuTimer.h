#pragma once

#include <GL/glew.h>

#include <array>
#include <vector>

// The passes a frame's GPU time is split into.
enum class GpuPass { Shadow0, Shadow1, Blurs, Scene, Bloom, PresentHud };
constexpr int gpuPassCount = 6;
const char* gpuPassName(GpuPass pass);

// GPU time per pass from GL_TIME_ELAPSED queries. Queries rotate through a
// ring of frames and a frame's results are read two frames later, so the
// GPU is never waited for while it still has work queued. Needs a current
// GL context from construction to destruction.
class GpuTimer {
public:
    static constexpr int ringFrames = 3;
    static constexpr int scopesPerFrame = 16;

    struct FrameTimes {
        int frame = 0;
        std::array<double, gpuPassCount> ms {};
    };

    GpuTimer();
    ~GpuTimer();
    GpuTimer(const GpuTimer&) = delete;
    GpuTimer& operator=(const GpuTimer&) = delete;

    void beginFrame(int frame);
    // Ends the pass that is open, if any, then starts timing `pass`. A pass
    // may be started several times in a frame; its times add up.
    void begin(GpuPass pass);
    void end();
    // Collects the frame from two frames back.
    void endFrame();
    // Collects every frame still outstanding, waiting for the GPU.
    void finish();

    std::vector<FrameTimes> results;  // in frame order

private:
    struct Slot {
        std::array<GLuint, scopesPerFrame> queries {};
        std::array<GpuPass, scopesPerFrame> passes {};
        int used = 0;
        int frame = 0;
        bool pending = false;
    };
    void collect(Slot& slot);

    std::array<Slot, ringFrames> slots;
    int current = 0;
    bool open = false;
    bool inFrame = false;
};

// For the renderer: start timing `pass` (ending the one before), or stop;
// nothing happens without a timer.
inline void gpuPassBegins(GpuTimer* timer, GpuPass pass) {
    if (timer != nullptr) timer->begin(pass);
}
inline void gpuPassEnds(GpuTimer* timer) {
    if (timer != nullptr) timer->end();
}

// Times a pass until the end of the scope; does nothing without a timer.
class GpuScope {
public:
    GpuScope(GpuTimer* gpuTimer, GpuPass pass) : timer(gpuTimer) {
        if (timer != nullptr) timer->begin(pass);
    }
    ~GpuScope() {
        if (timer != nullptr) timer->end();
    }
    GpuScope(const GpuScope&) = delete;
    GpuScope& operator=(const GpuScope&) = delete;

private:
    GpuTimer* timer;
};
