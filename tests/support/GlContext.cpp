#include "tests/support/GlContext.h"

#include <GLFW/glfw3.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace murk::test {

namespace {
pid_t xvfbPid = 0;
}  // namespace

bool ensureDisplay() {
    const char* current = std::getenv("DISPLAY");
    if ((current != nullptr && current[0] != '\0') || xvfbPid > 0) return true;
    // A display number from the process id, so parallel tests do not collide.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int display = 100 + (static_cast<int>(getpid()) + attempt * 7) % 400;
        if (access(("/tmp/.X" + std::to_string(display) + "-lock").c_str(), F_OK) == 0) continue;
        const std::string name = ":" + std::to_string(display);
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
        const pid_t pid = fork();
        if (pid == 0) {
            // Dies with the test and holds none of its output: a server left
            // with the test's stdout keeps CTest waiting after a crash.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() == 1) _exit(127);
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            // -noreset: else a context made right after the last one closed fails.
            execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x720x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid < 0) return false;
        for (int wait = 0; wait < 100 && access(socket.c_str(), F_OK) != 0; ++wait) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) break;  // Xvfb gave up
            usleep(50000);
        }
        if (access(socket.c_str(), F_OK) == 0) {
            xvfbPid = pid;
            setenv("DISPLAY", name.c_str(), 1);
            std::atexit([] { kill(xvfbPid, SIGTERM), waitpid(xvfbPid, nullptr, 0); });
            return true;
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return false;
}

GlContext::GlContext(int width, int height, bool visible) {
    if (!ensureDisplay() || glfwInit() != GLFW_TRUE) return;
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
