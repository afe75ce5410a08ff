#include "platform/Window.h"

#include <GLFW/glfw3.h>

#include <algorithm>

Window::~Window() { terminate(); }

bool Window::start() {
    if (!glfwRunning) glfwRunning = glfwInit() == GLFW_TRUE;
    return glfwRunning;
}

Window::Size Window::largestSize(bool windowed) const {
    GLFWmonitor* monitor = glfwRunning ? glfwGetPrimaryMonitor() : nullptr;
    if (monitor == nullptr) return {};
    Size largest;
    if (windowed) {
        if (const GLFWvidmode* mode = glfwGetVideoMode(monitor)) largest = {mode->width, mode->height};
        return largest;
    }
    int count = 0;
    const GLFWvidmode* modes = glfwGetVideoModes(monitor, &count);
    for (int i = 0; modes != nullptr && i < count; ++i) {
        largest.width = std::max(largest.width, modes[i].width);
        largest.height = std::max(largest.height, modes[i].height);
    }
    return largest;
}

std::vector<Window::Size> Window::modes() const {
    GLFWmonitor* monitor = glfwRunning ? glfwGetPrimaryMonitor() : nullptr;
    std::vector<Size> sizes;
    int count = 0;
    const GLFWvidmode* found = monitor != nullptr ? glfwGetVideoModes(monitor, &count) : nullptr;
    for (int i = 0; found != nullptr && i < count; ++i) {
        const Size size{found[i].width, found[i].height};
        const bool known = std::any_of(sizes.begin(), sizes.end(), [&](const Size& s) {
            return s.width == size.width && s.height == size.height;
        });
        if (!known) sizes.push_back(size);
    }
    std::sort(sizes.begin(), sizes.end(),
              [](const Size& a, const Size& b) { return a.width * a.height < b.width * b.height; });
    return sizes;
}

void Window::setMode(bool fullScreen, int width, int height, int refreshRate) {
    if (window == nullptr) return;
    GLFWmonitor* monitor = fullScreen ? glfwGetPrimaryMonitor() : nullptr;
    if (fullScreen && monitor == nullptr) return;
    if (!fullScreen && !this->fullScreen()) {
        glfwSetWindowSize(window, width, height);
        return;
    }
    glfwSetWindowMonitor(window, monitor, 0, 0, width, height, refreshRate);
}

bool Window::fullScreen() const { return window != nullptr && glfwGetWindowMonitor(window) != nullptr; }

Window::OpenResult Window::open(int width, int height, bool windowed, int refreshRate) {
    if (!start()) return OpenResult::GlfwFailed;

    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_REFRESH_RATE, refreshRate);
    // The render targets keep their start-up size.
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);

    // GLFW asserts on a negative size; zero or less is simply no window.
    if (width <= 0 || height <= 0) {
        terminate();
        return OpenResult::NoWindow;
    }
    GLFWmonitor* monitor = windowed ? nullptr : glfwGetPrimaryMonitor();
    window = glfwCreateWindow(width, height, "Murkhaven", monitor, nullptr);
    if (window == nullptr) {
        terminate();
        return OpenResult::NoWindow;
    }
    glfwMakeContextCurrent(window);
    return OpenResult::Ok;
}

bool Window::shouldClose() const { return window == nullptr || glfwWindowShouldClose(window) == GLFW_TRUE; }

void Window::pollEvents() { glfwPollEvents(); }

void Window::swapBuffers() { glfwSwapBuffers(window); }

void Window::hideCursor() { glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN); }

void Window::terminate() {
    if (window != nullptr) glfwDestroyWindow(window);
    window = nullptr;
    if (glfwRunning) glfwTerminate();
    glfwRunning = false;
}

void Window::placeCursor(double x, double y) {
    if (window != nullptr) glfwSetCursorPos(window, x, y);
}
