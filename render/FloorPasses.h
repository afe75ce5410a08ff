#pragma once

#include <memory>

#include <GL/glew.h>

class ShaderProgram;
struct Material;
namespace murk {
class QuadObject;
}

// The floor under any frame of this size: full-screen passes that only read
// one texel and write it, ping-ponging between two targets, the last into
// the window. What the game's frame costs beyond touching every pixel this
// many times is the renderer's own work.
class FloorPasses {
public:
    static constexpr int passCount = 11;  // as many full-screen passes as the game's frame has

    FloorPasses(int width, int height);
    ~FloorPasses();
    FloorPasses(const FloorPasses&) = delete;
    FloorPasses& operator=(const FloorPasses&) = delete;

    // One frame's worth of passes; the caller swaps.
    void draw();

private:
    int width;
    int height;
    GLuint textures[2] = {0, 0};
    GLuint framebuffers[2] = {0, 0};
    std::unique_ptr<ShaderProgram> program;
    std::unique_ptr<Material> material;
    std::unique_ptr<murk::QuadObject> quad;
};
