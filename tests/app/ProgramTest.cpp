// The game as a program: fatal start-up paths with their messages and exit
// status, the OpenGL error report, and the real binary under X answering
// Escape.
#include "app/FrameLoop.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

const std::string game = std::string(MURK_BINARY_DIR) + "/app/murkhaven";

// An empty working directory, optionally with a CONFIG.txt.
std::string scratchDir(const std::string& config = "") {
    char pattern[] = "/tmp/murk-program-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir == nullptr) return "/nonexistent";
    if (!config.empty()) std::ofstream(std::string(dir) + "/CONFIG.txt") << config;
    return dir;
}

TEST(ProgramFatal, NoDisplayMeansGlfwFailed) {
    const auto run = murk::test::runProcess({game}, scratchDir(), 30, {"DISPLAY=:9999"});
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 255);
    EXPECT_EQ(run.output, "Config-File kann nicht gelesen werden.\nGLFW failed\n");
}

TEST(ProgramFatal, ImpossibleWindowMeansNoWindow) {
    ASSERT_TRUE(murk::test::ensureDisplay());
    std::string config = "settings\nwidth = 0\nheight = 0\nwindowed = TRUE\n";
    const auto run = murk::test::runProcess({game}, scratchDir(config), 30);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 255);
    EXPECT_EQ(run.output, "No window\n");
}

TEST(GlErrorReport, MessagesFollowTheCode) {
    EXPECT_STREQ(glErrorMessage(1280), "GL: enum argument out of range.");
    EXPECT_STREQ(glErrorMessage(1281), "GL: Numeric argument out of range.");
    EXPECT_STREQ(glErrorMessage(1282), "GL: Operation illegal in current state.");
    EXPECT_STREQ(glErrorMessage(1285), "GL: Not enough memory left to execute command.");
    EXPECT_STREQ(glErrorMessage(1286), "GL: Framebuffer object is not complete.");
    for (unsigned other : {1283u, 1284u, 1287u, 0x9999u}) EXPECT_STREQ(glErrorMessage(other), "GL: Unknown error.");
}

TEST(GlErrorReport, OneCodePerCallWithTheCodeAppended) {
    murk::test::GlContext gl(32, 32);
    ASSERT_TRUE(gl.ok());
    std::ostringstream out;
    reportGlError(out);
    EXPECT_EQ(out.str(), "");
    glEnable(0x1234);  // not a capability
    reportGlError(out);
    EXPECT_EQ(out.str(), "GL: enum argument out of range.1280\n");
    reportGlError(out);
    EXPECT_EQ(out.str(), "GL: enum argument out of range.1280\n");
}

// Runs the game in data/ and finds its window. xdotool and the game share
// the display.
class RunningGame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(murk::test::ensureDisplay());
        runner = std::thread([this] { result = murk::test::runProcess({game}, MURK_DATA_DIR, 180); });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (window.empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const auto found = murk::test::runProcess({"xdotool", "search", "--name", "^Murkhaven"}, "", 10);
            if (found.exitStatus == 0) window = found.output.substr(0, found.output.find('\n'));
        }
    }

    void TearDown() override {
        if (runner.joinable()) runner.join();
    }

    void xdotool(const std::string& arguments) {
        murk::test::runProcess({"sh", "-c", "xdotool " + arguments}, "", 20);
    }

    std::thread runner;
    murk::test::ProcessResult result;
    std::string window;
};

TEST_F(RunningGame, OpensItsWindowAndEndsOnEscape) {
    ASSERT_FALSE(window.empty()) << "no window titled Murkhaven";
    const auto name = murk::test::runProcess({"xdotool", "getwindowname", window}, "", 10);
    EXPECT_EQ(name.output.rfind("Murkhaven", 0), 0u);
    xdotool("windowfocus --sync " + window);
    xdotool("keydown Escape; sleep 0.3; xdotool keyup Escape");
    runner.join();
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
}

}  // namespace
