#pragma once

// Holds a frame rate by moving the render scale, from the measured wall time
// of each frame. Slow on purpose: the time is smoothed over about ten frames,
// a band round the budget changes nothing, and each frame moves the scale by
// at most maxStep, so a single slow frame cannot make the picture pump.
// Without a target the scale stays where the settings put it.
class RenderScaleControl {
public:
    static constexpr float maxStep = 0.01f;
    // The share of the target's frame time aimed at, leaving room for the
    // frames that take longer than the smoothed time: with the software
    // rasteriser the slowest twentieth of the demo's frames take about 1.6
    // times its median at a fixed scale, so the smoothed time aims well below.
    static constexpr double headroom = 0.7;

    RenderScaleControl(float fixedScale, int targetFps);

    float scale() const { return current; }
    // After each frame: the wall time from the end of the last one.
    void frameTook(double ms);

private:
    float current = 1.0f;
    double budgetMs = 0.0;  // 0: no target
    double smoothedMs = 0.0;
};
