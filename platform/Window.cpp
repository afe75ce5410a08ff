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
