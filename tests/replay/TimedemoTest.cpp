// The timedemo's figures and files, and the real game running a demo.
#include "app/Timedemo.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace {

// "name   value unit" lines of the report; the heading and other lines are skipped.
std::map<std::string, double> parseReport(const std::string& text) {
    std::map<std::string, double> figures;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t gap = line.find("  ");
        if (gap == std::string::npos) continue;
        const std::size_t value = line.find_first_not_of(' ', gap);
        if (value == std::string::npos) continue;
        try {
            figures[line.substr(0, gap)] = std::stod(line.substr(value));
        } catch (...) {
        }
    }
    return figures;
}

std::vector<TimedemoFrame> frames(std::initializer_list<double> ms) {
    std::vector<TimedemoFrame> out;
    for (double m : ms) {
        TimedemoFrame f;
        f.frameMs = m;
        f.updateMs = 0.1;
        f.gpuMs = {1, 2, 3, 4, 5, m - 15};
        f.gpuKnown = true;
        out.push_back(f);
    }
    return out;
}

TEST(TimedemoFigures, PercentilesByNearestRank) {
    std::vector<double> values;
    for (int i = 100; i >= 1; --i) values.push_back(i);
    EXPECT_EQ(percentile(values, 95.0), 95.0);
    EXPECT_EQ(percentile(values, 99.0), 99.0);
    EXPECT_EQ(percentile(values, 100.0), 100.0);
    EXPECT_EQ(median(values), 50.5);
    EXPECT_EQ(median({3.0, 1.0, 2.0}), 2.0);
    EXPECT_EQ(percentile({}, 50.0), 0.0);
}

TEST(TimedemoFigures, SummaryCountsSlowFramesAndAveragesPasses) {
    std::vector<TimedemoFrame> run = frames({20.0, 40.0, 16.0, 100.0});
    run[2].gpuKnown = false;  // a frame whose queries never came back does not count
    const TimedemoSummary s = summarize(run, 0.176, 1.5, 99.0);
    EXPECT_EQ(s.frames, 4);
    EXPECT_EQ(s.over16, 3);
    EXPECT_EQ(s.over33, 2);
    EXPECT_DOUBLE_EQ(s.medianMs, 30.0);
    EXPECT_DOUBLE_EQ(s.meanFps, 4 / 0.176);
    EXPECT_DOUBLE_EQ(s.gpuMeanMs[0], 1.0);
    EXPECT_DOUBLE_EQ(s.gpuMeanMs[5], (5.0 + 25.0 + 85.0) / 3.0);
    EXPECT_DOUBLE_EQ(s.gpuTotalMs, 15.0 + 115.0 / 3.0);
}

TEST(TimedemoFigures, ReportCsvAndChartCarryEveryFigure) {
    const std::vector<TimedemoFrame> run = frames({20.0, 40.0, 16.0, 100.0});
    const TimedemoSummary s = summarize(run, 0.176, 1.5, 99.0);
    std::ostringstream report;
    printReport(report, "timedemo x: 1x1", s);
    const auto figures = parseReport(report.str());
    for (const char* name : {"frames", "seconds", "mean fps", "frame median", "frame p95", "frame p99",
                             "frames over 16.7 ms", "frames over 33.3 ms", "gpu shadow 0", "gpu shadow 1",
                             "gpu blurs", "gpu scene", "gpu bloom", "gpu present+hud", "update cpu mean", "process cpu per frame",
                             "start-up", "peak memory"})
        EXPECT_EQ(figures.count(name), 1u) << name << "\n" << report.str();
    EXPECT_EQ(figures.at("frames"), 4.0);
    EXPECT_EQ(figures.at("frame p99"), 100.0);

    std::ostringstream csv;
    writeCsv(csv, run);
    std::istringstream rows(csv.str());
    std::string header;
    std::getline(rows, header);
    EXPECT_EQ(header, "frame,frame_ms,update_ms,gpu_shadow_0_ms,gpu_shadow_1_ms,gpu_blurs_ms,gpu_scene_ms,"
                      "gpu_bloom_ms,gpu_present_hud_ms,gpu_total_ms");
    std::string row;
    int count = 0;
    while (std::getline(rows, row)) ++count;
    EXPECT_EQ(count, 4);

    std::ostringstream svg;
    writeSvg(svg, "timedemo <x>", run, s);
    EXPECT_EQ(svg.str().rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_NE(svg.str().find("timedemo &lt;x&gt;"), std::string::npos);
    EXPECT_NE(svg.str().find("</svg>"), std::string::npos);
}

// The shipped demo, shortened, in a small window: the report is complete and
// the GPU passes account for most of each frame.
TEST(TimedemoProgram, ShippedDemoReportsPassesThatAddUpToTheFrame) {
    ASSERT_TRUE(murk::test::ensureDisplay());
    const std::string game = std::string(MURK_BINARY_DIR) + "/app/murkhaven";
    const std::string prefix = std::string(MURK_BINARY_DIR) + "/timedemo-test";
    const auto run = murk::test::runProcess({game, "--timedemo", "demos/walk.mdemo", "--frames", "24", "--width",
                                             "320", "--height", "180", "--shadow-map-size", "256", "--report",
                                             prefix},
                                            MURK_DATA_DIR, 240);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const auto figures = parseReport(run.output);
    ASSERT_EQ(figures.count("gpu total"), 1u) << run.output;
    EXPECT_EQ(figures.at("frames"), 24.0);
    EXPECT_NE(run.output.find("replay stopped after 24 of"), std::string::npos) << run.output;
    double passes = 0.0;
    for (const char* pass : {"gpu shadow 0", "gpu shadow 1", "gpu blurs", "gpu scene", "gpu bloom", "gpu present+hud"}) {
        EXPECT_GT(figures.at(pass), 0.0) << pass;
        passes += figures.at(pass);
    }
    EXPECT_NEAR(passes, figures.at("gpu total"), 0.05);
    // Roughly: the passes are most of the frame and never more than it.
    const double frameMean = figures.at("frame mean");
    EXPECT_GT(passes, 0.3 * frameMean) << run.output;
    EXPECT_LT(passes, 1.15 * frameMean) << run.output;
    EXPECT_GT(figures.at("peak memory"), 0.0);

    std::ifstream csv(prefix + ".csv");
    int rows = 0;
    for (std::string line; std::getline(csv, line);) ++rows;
    EXPECT_EQ(rows, 25);
    std::ifstream svg(prefix + ".svg");
    std::stringstream chart;
    chart << svg.rdbuf();
    EXPECT_NE(chart.str().find("<polyline"), std::string::npos);
}

}  // namespace

namespace {

// The whole shipped demo in a small window of the recorded shape: the game
// must end exactly where it ended when the demo was made. When the level,
// the rules or the physics change on purpose, remake the demo (README,
// Benchmark).
TEST(TimedemoProgram, ShippedDemoEndsAsRecorded) {
    ASSERT_TRUE(murk::test::ensureDisplay());
    const std::string game = std::string(MURK_BINARY_DIR) + "/app/murkhaven";
    const std::string prefix = std::string(MURK_BINARY_DIR) + "/timedemo-whole";
    const auto run = murk::test::runProcess({game, "--timedemo", "demos/walk.mdemo", "--width", "256", "--height",
                                             "144", "--shadow-map-size", "64", "--report", prefix},
                                            MURK_DATA_DIR, 280);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_NE(run.output.find("replay ends as recorded"), std::string::npos) << run.output;
    const auto figures = parseReport(run.output);
    ASSERT_EQ(figures.count("frames"), 1u) << run.output;
    EXPECT_EQ(figures.at("frames"), 300.0);
}

}  // namespace
