#pragma once

#include <string>

struct DrawCounts;
struct FrameRateCounter;

// The window title is the status line of a playing frame. It is built in two
// halves: the switches before the frame's work, the drawing counts after.

// "Murkhaven @60 fps (16 ms) -" with the rate shown, "Murkhaven -" without,
// then the texture qualities, culling and transparency:
// "... TSQ: bilinear; MMQ: linear FC: on TP: off;"
std::string titleHead(bool showFps, const FrameRateCounter& counter, int samplingQuality,
                      int mipmapQuality, bool frustumCulling, bool transparency);

// "; #vertices: V; #faces: F; #objects: O", counts of the renderer's last frame.
void appendDrawCounts(std::string& title, const DrawCounts& counts);

// What the pad's pick ray hit: "; hit objects: " and "N, " when it hit actor N.
void appendPickResult(std::string& title, int hitActor);
