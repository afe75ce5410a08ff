// The test support itself: a GL context under Xvfb and child processes with time limits.
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

namespace {

TEST(Harness, OpensCoreProfileContext) {
    murk::test::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    GLint major = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    EXPECT_GE(major, 3);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Harness, ProcessStatusOutputAndTimeout) {
    auto done = murk::test::runProcess({"sh", "-c", "echo hello; exit 3"}, "", 10);
    EXPECT_EQ(done.exitStatus, 3);
    EXPECT_EQ(done.output, "hello\n");
    auto hung = murk::test::runProcess({"sleep", "30"}, "", 1);
    EXPECT_TRUE(hung.timedOut);
}

}  // namespace
