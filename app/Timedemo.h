#pragma once

#include "render/GpuTimer.h"

#include <array>
#include <ostream>
#include <string>
#include <vector>

// One replayed frame as the timedemo saw it.
struct TimedemoFrame {
    double frameMs = 0.0;   // wall time from the end of the previous frame
    double updateMs = 0.0;  // input, update and the end of the frame's input, on the CPU
    std::array<double, gpuPassCount> gpuMs {};
    bool gpuKnown = false;  // the frame's queries came back
    float renderScale = 1.0f;   // the 3-D passes' share of the window
    bool flashlightOn = false;  // the beam was drawn
};

struct TimedemoSummary {
    int frames = 0;
    double seconds = 0.0;
    double meanFps = 0.0;
    double meanMs = 0.0;
    double medianMs = 0.0;
    double p95Ms = 0.0;
    double p99Ms = 0.0;
    int over16 = 0;  // frames over 16.7 ms
    int over33 = 0;  // frames over 33.3 ms
    // The beam's cost: the median of the frames with the flashlight on and
    // off, and how many of each.
    double medianLightOnMs = 0.0;
    double medianLightOffMs = 0.0;
    int lightOnFrames = 0;
    double meanScale = 1.0;  // the render scale over the frames
    std::array<double, gpuPassCount> gpuMeanMs {};
    double gpuTotalMs = 0.0;
    double updateMeanMs = 0.0;
    double updateMedianMs = 0.0;
    double startupSeconds = 0.0;  // process start to the first frame shown
    double peakMemoryMiB = 0.0;
    // CPU time of the whole process (all threads, the software rasteriser's
    // included) per frame: unlike wall time it hardly changes when other
    // programs share the machine.
    double processCpuMsPerFrame = 0.0;
};

// Nearest rank: the smallest value with at least p percent of the values at
// or below it. The median is the mean of the middle two for an even count.
double percentile(std::vector<double> values, double p);
double median(std::vector<double> values);

TimedemoSummary summarize(const std::vector<TimedemoFrame>& frames, double seconds, double startupSeconds,
                          double peakMemoryMiB);

// The report: one "name  value unit" line per figure, after a heading.
void printReport(std::ostream& out, const std::string& heading, const TimedemoSummary& summary);
void writeCsv(std::ostream& out, const std::vector<TimedemoFrame>& frames);
// Frame time and GPU time per frame as a line chart, with the render scale.
void writeSvg(std::ostream& out, const std::string& heading, const std::vector<TimedemoFrame>& frames,
              const TimedemoSummary& summary);

// The process's largest resident set so far.
double peakMemoryMiB();
// CPU seconds the process has used so far, all threads.
double processCpuSeconds();
