#include "app/Timedemo.h"

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void line(std::ostream& out, const std::string& name, const std::string& value, const char* unit) {
    out << name << std::string(name.size() < 24 ? 24 - name.size() : 2, ' ') << value;
    if (*unit != '\0') out << ' ' << unit;
    out << '\n';
}

std::string escapeXml(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

}  // namespace

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
    const std::size_t index = rank < 1.0 ? 0 : static_cast<std::size_t>(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

TimedemoSummary summarize(const std::vector<TimedemoFrame>& frames, double seconds, double startupSeconds,
                          double peakMemory) {
    TimedemoSummary s;
    s.frames = static_cast<int>(frames.size());
    s.seconds = seconds;
    s.startupSeconds = startupSeconds;
    s.peakMemoryMiB = peakMemory;
    if (frames.empty()) return s;
    std::vector<double> frameMs;
    std::vector<double> updateMs;
    std::vector<double> lit[2];  // flashlight off, on
    double scales = 0.0;
    int gpuFrames = 0;
    for (const TimedemoFrame& f : frames) {
        frameMs.push_back(f.frameMs);
        lit[f.flashlightOn ? 1 : 0].push_back(f.frameMs);
        scales += f.renderScale;
        updateMs.push_back(f.updateMs);
        if (f.frameMs > 16.7) ++s.over16;
        if (f.frameMs > 33.3) ++s.over33;
        if (!f.gpuKnown) continue;
        ++gpuFrames;
        for (int p = 0; p < gpuPassCount; ++p) s.gpuMeanMs[static_cast<std::size_t>(p)] += f.gpuMs[static_cast<std::size_t>(p)];
    }
    const double n = static_cast<double>(frames.size());
    s.meanFps = seconds > 0.0 ? n / seconds : 0.0;
    s.meanMs = std::accumulate(frameMs.begin(), frameMs.end(), 0.0) / n;
    s.medianMs = median(frameMs);
    s.p95Ms = percentile(frameMs, 95.0);
    s.p99Ms = percentile(frameMs, 99.0);
    s.medianLightOffMs = median(lit[0]);
    s.medianLightOnMs = median(lit[1]);
    s.lightOnFrames = static_cast<int>(lit[1].size());
    s.meanScale = scales / n;
    s.updateMeanMs = std::accumulate(updateMs.begin(), updateMs.end(), 0.0) / n;
    s.updateMedianMs = median(updateMs);
    for (double& pass : s.gpuMeanMs) {
        if (gpuFrames > 0) pass /= gpuFrames;
        s.gpuTotalMs += pass;
    }
    return s;
}

void printReport(std::ostream& out, const std::string& heading, const TimedemoSummary& s) {
    out << heading << '\n';
    line(out, "frames", std::to_string(s.frames), "");
    line(out, "seconds", fixed(s.seconds, 3), "s");
    line(out, "mean fps", fixed(s.meanFps, 2), "fps");
    line(out, "frame mean", fixed(s.meanMs, 2), "ms");
    line(out, "frame median", fixed(s.medianMs, 2), "ms");
    line(out, "frame p95", fixed(s.p95Ms, 2), "ms");
    line(out, "frame p99", fixed(s.p99Ms, 2), "ms");
    line(out, "frames over 16.7 ms", std::to_string(s.over16), "");
    line(out, "frames over 33.3 ms", std::to_string(s.over33), "");
    line(out, "median, flashlight on", fixed(s.medianLightOnMs, 2), ("ms (" + std::to_string(s.lightOnFrames) + " frames)").c_str());
    line(out, "median, flashlight off", fixed(s.medianLightOffMs, 2),
         ("ms (" + std::to_string(s.frames - s.lightOnFrames) + " frames)").c_str());
    line(out, "render scale mean", fixed(s.meanScale, 3), "");
    for (int p = 0; p < gpuPassCount; ++p)
        line(out, std::string("gpu ") + gpuPassName(static_cast<GpuPass>(p)), fixed(s.gpuMeanMs[static_cast<std::size_t>(p)], 2), "ms");
    line(out, "gpu total", fixed(s.gpuTotalMs, 2), "ms");
    line(out, "update cpu mean", fixed(s.updateMeanMs, 4), "ms");
    line(out, "update cpu median", fixed(s.updateMedianMs, 4), "ms");
    line(out, "process cpu per frame", fixed(s.processCpuMsPerFrame, 2), "ms");
    line(out, "start-up", fixed(s.startupSeconds, 3), "s");
    line(out, "peak memory", fixed(s.peakMemoryMiB, 1), "MiB");
}

void writeCsv(std::ostream& out, const std::vector<TimedemoFrame>& frames) {
    out << "frame,frame_ms,update_ms";
    for (int p = 0; p < gpuPassCount; ++p) {
        std::string name = gpuPassName(static_cast<GpuPass>(p));
        std::replace(name.begin(), name.end(), ' ', '_');
        std::replace(name.begin(), name.end(), '+', '_');
        out << ",gpu_" << name << "_ms";
    }
    out << ",gpu_total_ms,render_scale,flashlight\n";
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const TimedemoFrame& f = frames[i];
        out << i << ',' << fixed(f.frameMs, 3) << ',' << fixed(f.updateMs, 4);
        double total = 0.0;
        for (double ms : f.gpuMs) {
            out << ',' << (f.gpuKnown ? fixed(ms, 3) : "");
            total += ms;
        }
        out << ',' << (f.gpuKnown ? fixed(total, 3) : "") << ',' << fixed(f.renderScale, 3) << ','
            << (f.flashlightOn ? 1 : 0) << '\n';
    }
}

void writeSvg(std::ostream& out, const std::string& heading, const std::vector<TimedemoFrame>& frames,
              const TimedemoSummary& s) {
    constexpr double width = 900.0;
    constexpr double height = 360.0;
    constexpr double left = 60.0;
    constexpr double right = 20.0;
    constexpr double top = 40.0;
    constexpr double bottom = 40.0;
    double slowest = 0.0;
    for (const TimedemoFrame& f : frames) slowest = std::max(slowest, f.frameMs);
    // Four grid steps of a round size that cover the slowest frame.
    double step = 10.0;
    for (double round : {10.0, 20.0, 25.0, 50.0, 100.0, 200.0, 250.0, 500.0, 1000.0, 2000.0, 5000.0}) {
        step = round;
        if (4.0 * round >= slowest) break;
    }
    const double top_ms = std::max(4.0 * step, std::ceil(slowest / step) * step);
    const double count = static_cast<double>(std::max<std::size_t>(frames.size(), 2) - 1);
    auto x = [&](std::size_t i) { return left + (width - left - right) * static_cast<double>(i) / count; };
    auto y = [&](double ms) { return top + (height - top - bottom) * (1.0 - ms / top_ms); };

    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << left << "\" y=\"20\" font-size=\"14\">" << escapeXml(heading) << " - median "
        << fixed(s.medianMs, 1) << " ms, p99 " << fixed(s.p99Ms, 1) << " ms</text>\n";
    for (double ms = 0.0; ms <= top_ms + 1e-9; ms += step) {
        out << "<line x1=\"" << left << "\" x2=\"" << width - right << "\" y1=\"" << fixed(y(ms), 1) << "\" y2=\""
            << fixed(y(ms), 1) << "\" stroke=\"#ddd\"/>\n"
            << "<text x=\"" << left - 6 << "\" y=\"" << fixed(y(ms) + 4, 1) << "\" text-anchor=\"end\">"
            << fixed(ms, 0) << " ms</text>\n";
    }
    for (double budget : {16.7, 33.3}) {
        if (budget > top_ms) continue;
        out << "<line x1=\"" << left << "\" x2=\"" << width - right << "\" y1=\"" << fixed(y(budget), 1)
            << "\" y2=\"" << fixed(y(budget), 1) << "\" stroke=\"#c66\" stroke-dasharray=\"4 3\"/>\n";
    }
    auto polyline = [&](const char* colour, auto value) {
        out << "<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"1.2\" points=\"";
        for (std::size_t i = 0; i < frames.size(); ++i) out << fixed(x(i), 1) << ',' << fixed(y(value(frames[i])), 1) << ' ';
        out << "\"/>\n";
    };
    polyline("#1f5fbf", [](const TimedemoFrame& f) { return f.frameMs; });
    polyline("#e08a1e", [](const TimedemoFrame& f) {
        double total = 0.0;
        for (double ms : f.gpuMs) total += ms;
        return total;
    });
    // The render scale from 0 at the bottom to 1 at the top.
    polyline("#2e9e4f", [&](const TimedemoFrame& f) { return static_cast<double>(f.renderScale) * top_ms; });
    out << "<text x=\"" << left << "\" y=\"" << height - 12 << "\">frame 0 .. " << frames.size()
        << "; blue: frame time, orange: GPU time, green: render scale (top 1), dashed: 16.7 and 33.3 ms</text>\n</svg>\n";
}

double processCpuSeconds() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double peakMemoryMiB() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}
