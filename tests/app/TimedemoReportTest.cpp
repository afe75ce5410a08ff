// The timedemo's figures from given frames: percentiles, the report and the CSV rows.
#include "app/Timedemo.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(Timedemo, NearestRankPercentilesAndMedian) {
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    const std::vector<double> three{30, 10, 20};
    struct Case { const std::vector<double>& values; double p, want; };
    const std::vector<double> none;
    for (const Case& c : {Case{hundred, 0, 1}, Case{hundred, 50, 50}, Case{hundred, 95, 95}, Case{hundred, 99, 99},
                          Case{hundred, 100, 100}, Case{three, 33, 10}, Case{three, 34, 20}, Case{three, 67, 30},
                          Case{none, 50, 0}})
        EXPECT_EQ(percentile(c.values, c.p), c.want) << c.values.size() << " values, p" << c.p;
    EXPECT_EQ(median(hundred), 50.5);
    EXPECT_EQ(median(three), 20.0);
    EXPECT_EQ(median(none), 0.0);
}

// 20 frames: five of interest, then fifteen of 10 ms; one frame's GPU queries
// never came back, and its huge times must not count.
std::vector<TimedemoFrame> run() {
    std::vector<TimedemoFrame> frames;
    for (double ms : {20.0, 40.0, 16.7, 100.0, 33.3}) frames.push_back({ms, 0.1, {1, 2, 3, 4, 5, 6}, true});
    for (int i = 0; i < 15; ++i) frames.push_back({10.0, 0.1, {1, 2, 3, 4, 5, 6}, true});
    frames[4].updateMs = 2.1;
    frames[2].gpuMs.fill(1000.0);
    frames[2].gpuKnown = false;
    return frames;
}

TEST(Timedemo, SummaryAsReported) {
    std::ostringstream out;
    printReport(out, "timedemo x: 1x1", summarize(run(), 0.25, 1.5, 99.0));
    const std::string report = "\n" + out.str();
    for (const char* line : {"timedemo x: 1x1", "frames                  20", "mean fps                80.00 fps",
                             "frame mean              18.00 ms", "frame median            10.00 ms",
                             "frame p95               40.00 ms", "frame p99               100.00 ms",
                             "frames over 16.7 ms     4", "frames over 33.3 ms     2", "gpu shadow 0            1.00 ms",
                             "gpu present+hud         6.00 ms", "gpu total               21.00 ms",
                             "update cpu mean         0.2000 ms", "update cpu median       0.1000 ms",
                             "start-up                1.500 s", "peak memory             99.0 MiB"})
        EXPECT_NE(report.find("\n" + std::string(line) + "\n"), std::string::npos) << line << report;
    EXPECT_EQ(summarize({}, 0.0, 1.5, 99.0).meanFps, 0.0);
}

TEST(Timedemo, CsvRows) {
    const std::vector<TimedemoFrame> frames = run();
    std::ostringstream csv;
    writeCsv(csv, {frames[0], frames[2]});
    EXPECT_EQ(csv.str(),
              "frame,frame_ms,update_ms,gpu_shadow_0_ms,gpu_shadow_1_ms,gpu_blurs_ms,gpu_scene_ms,gpu_bloom_ms,"
              "gpu_present_hud_ms,gpu_total_ms\n"
              "0,20.000,0.1000,1.000,2.000,3.000,4.000,5.000,6.000,21.000\n"
              "1,16.700,0.1000,,,,,,,\n");
}

}  // namespace
