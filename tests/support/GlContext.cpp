#include "tests/support/GlContext.h"

#include <GLFW/glfw3.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace murk::test {

namespace {

pid_t xvfbPid = 0;

void stopXvfb() {
    if (xvfbPid > 0) {
        kill(xvfbPid, SIGTERM);
        waitpid(xvfbPid, nullptr, 0);
        xvfbPid = 0;
    }
}

bool socketExists(int display) {
    struct stat st {};
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(display);
    return stat(path.c_str(), &st) == 0;
}

}  // namespace

bool ensureDisplay() {
    const char* current = std::getenv("DISPLAY");
    if (current != nullptr && current[0] != '\0') return true;
    if (xvfbPid > 0) return true;

    // Pick a display number from the process id so parallel tests do not collide.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int display = 100 + (static_cast<int>(getpid()) + attempt * 7) % 400;
        const std::string lock = "/tmp/.X" + std::to_string(display) + "-lock";
        if (access(lock.c_str(), F_OK) == 0) continue;
        const std::string name = ":" + std::to_string(display);
        const pid_t pid = fork();
        if (pid == 0) {
            // Dies with the test, and holds none of its output: a server
            // left behind with the test's stdout would keep CTest waiting
            // for the end of that output after a crash.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() == 1) _exit(127);  // the test is already gone
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            // -noreset: otherwise the server resets whenever its last client
            // leaves, and a context made right after another one fails.
            execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x720x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid < 0) return false;
        for (int wait = 0; wait < 100 && !socketExists(display); ++wait) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) break;  // Xvfb gave up
            usleep(50000);
        }
        if (socketExists(display)) {
            xvfbPid = pid;
            setenv("DISPLAY", name.c_str(), 1);
            std::atexit(stopXvfb);
            return true;
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return false;
}

GlContext::GlContext(int width, int height, bool visible) {
    if (!ensureDisplay()) return;
    if (glfwInit() != GLFW_TRUE) return;
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, visible ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    window = glfwCreateWindow(width, height, "murk-test", nullptr, nullptr);
    if (window == nullptr) return;
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        glfwDestroyWindow(window);
        window = nullptr;
        return;
    }
    glGetError();  // the loader may leave one behind
    glViewport(0, 0, width, height);
}

GlContext::~GlContext() {
    if (window != nullptr) glfwDestroyWindow(window);
    glfwTerminate();
}

}  // namespace murk::test
