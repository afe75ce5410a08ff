// Draws nothing: GPU time per pass from timer queries, for the timedemo.
#include "render/GpuTimer.h"

const char* gpuPassName(GpuPass pass) {
    switch (pass) {
    case GpuPass::Shadow0: return "shadow 0";
    case GpuPass::Shadow1: return "shadow 1";
    case GpuPass::Blurs: return "blurs";
    case GpuPass::Scene: return "scene";
    case GpuPass::Bloom: return "bloom";
    case GpuPass::PresentHud: return "present+hud";
    }
    return "?";
}

GpuTimer::GpuTimer() {
    for (Slot& slot : slots) glGenQueries(scopesPerFrame, slot.queries.data());
}

GpuTimer::~GpuTimer() {
    for (Slot& slot : slots) glDeleteQueries(scopesPerFrame, slot.queries.data());
}

void GpuTimer::beginFrame(int frame) {
    Slot& slot = slots[static_cast<std::size_t>(current)];
    if (slot.pending) collect(slot);
    slot.used = 0;
    slot.frame = frame;
    inFrame = true;
}

void GpuTimer::begin(GpuPass pass) {
    if (!inFrame) return;
    end();
    Slot& slot = slots[static_cast<std::size_t>(current)];
    if (slot.used == scopesPerFrame) return;
    const auto scope = static_cast<std::size_t>(slot.used++);
    slot.passes[scope] = pass;
    glBeginQuery(GL_TIME_ELAPSED, slot.queries[scope]);
    open = true;
}

void GpuTimer::end() {
    if (!open) return;
    glEndQuery(GL_TIME_ELAPSED);
    open = false;
}

void GpuTimer::endFrame() {
    if (!inFrame) return;
    end();
    slots[static_cast<std::size_t>(current)].pending = true;
    inFrame = false;
    current = (current + 1) % ringFrames;
    // The slot used next holds the frame from two frames back.
    Slot& old = slots[static_cast<std::size_t>(current)];
    if (old.pending) collect(old);
}

void GpuTimer::finish() {
    end();
    inFrame = false;
    for (int i = 0; i < ringFrames; ++i) {
        Slot& slot = slots[static_cast<std::size_t>((current + i) % ringFrames)];
        if (slot.pending) collect(slot);
    }
}

void GpuTimer::collect(Slot& slot) {
    FrameTimes times;
    times.frame = slot.frame;
    for (int i = 0; i < slot.used; ++i) {
        GLuint64 ns = 0;
        glGetQueryObjectui64v(slot.queries[static_cast<std::size_t>(i)], GL_QUERY_RESULT, &ns);
        times.ms[static_cast<std::size_t>(slot.passes[static_cast<std::size_t>(i)])] += static_cast<double>(ns) / 1e6;
    }
    slot.pending = false;
    results.push_back(times);
}
