// The test harness under the conditions of the sanitizer build and of a
// shared display: both once made the suite fail for reasons not the game's.
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Xvfb resets when its last client leaves unless told not to; a context made
// during the reset failed about one time in ten.
TEST(Harness, ContextsMadeOneAfterAnotherAllOpen) {
    int failed = 0;
    for (int i = 0; i < 15; ++i) {
        murk::test::GlContext gl(16, 16);
        if (!gl.ok()) ++failed;
    }
    EXPECT_EQ(failed, 0);
}

// A child's own sanitizer options come on top of the run's, which the
// sanitizer build needs to start at all.
TEST(Harness, ChildSanitizerOptionsAddToTheRunsOwn) {
    const char* before = std::getenv("UBSAN_OPTIONS");
    const std::string saved = before != nullptr ? before : "";
    setenv("UBSAN_OPTIONS", "outer=1", 1);
    const auto run = murk::test::runProcess({"sh", "-c", "echo \"$UBSAN_OPTIONS|$OTHER\""}, "", 10,
                                            {"UBSAN_OPTIONS=inner=0", "OTHER=plain"});
    EXPECT_EQ(run.output, "outer=1:inner=0|plain\n");
    if (before != nullptr) {
        setenv("UBSAN_OPTIONS", saved.c_str(), 1);
    } else {
        unsetenv("UBSAN_OPTIONS");
    }
}

}  // namespace
