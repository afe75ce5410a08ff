#pragma once

#include <string>
#include <vector>

struct GLFWwindow;

// The game's one window and its OpenGL 3.3 core context. open() does GLFW's
// part of start-up; the caller loads GL entry points afterwards.
class Window {
public:
    enum class OpenResult { Ok, GlfwFailed, NoWindow };
    struct Size {
        int width = 0;
        int height = 0;
    };

    Window() = default;
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // glfwInit, so the screen can be asked before there is a window. False
    // when GLFW cannot start.
    bool start();
    // The largest window the primary monitor shows whole: its current mode
    // (the desktop) for a window, its largest mode for full screen. 0 x 0
    // before start() or without a monitor.
    Size largestSize(bool windowed) const;
    // The primary monitor's modes, each size once, smallest first; empty
    // before start() or without a monitor.
    std::vector<Size> modes() const;
    // start() unless done, the context hints, then a window titled
    // "Murkhaven", full screen on the primary monitor unless windowed. On
    // NoWindow GLFW has already been terminated. On Ok the context is current.
    OpenResult open(int width, int height, bool windowed, int refreshRate);

    // Full screen on the primary monitor at this size (a mode of it), or a
    // window of this size.
    void setMode(bool fullScreen, int width, int height, int refreshRate);
    bool fullScreen() const;

    bool shouldClose() const;
    void pollEvents();
    void swapBuffers();
    // Hides the cursor over the window without capturing it.
    void hideCursor();
    // Puts the cursor at window pixel (x, y), origin top left.
    void placeCursor(double x, double y);
    // Destroys the window and ends GLFW.
    void terminate();

    GLFWwindow* handle() const { return window; }

private:
    GLFWwindow* window = nullptr;
    bool glfwRunning = false;
};
