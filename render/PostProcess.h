#pragma once

#include <string>
#include <vector>

#include <GL/glew.h>
#include <glm/vec2.hpp>

#include "render/ScreenBounds.h"

class ShaderProgram;
struct Material;

namespace murk {
class QuadObject;
}

// The scene's off-screen target and the bloom chain behind it: the bright
// parts of the scene are cut out, blurred vertically then horizontally at
// full resolution, and added back onto the scene in composedTexture. The
// targets have the window's size; a render scale below 1 draws the scene and
// the bloom into their lower left part only (setDrawnSize).
class PostProcess {
public:
    // The program names are base names: "Shader/" + name + ".vert"/".frag".
    PostProcess(int width, int height, GLenum internalFormat, GLenum format, GLenum type,
                const std::string& thresholdName, const std::string& blurName,
                const std::string& mixName);
    ~PostProcess();
    PostProcess(const PostProcess&) = delete;
    PostProcess& operator=(const PostProcess&) = delete;

    // The four passes in order. Each binds its own target and binds
    // framebuffer 0 again; the viewport is left at width x height. Nothing
    // outside `bright` may be above the threshold: the bright pass and the
    // blurs then draw only there and as far as the blur reaches, the rest of
    // their targets cleared to black, which is what they would have drawn.
    // With findGlow the bright pass also finds, tile by tile, where it
    // wrote anything, and the blurs work only round that.
    void run(const PixelRect& bright, bool findGlow = false);
    // The part of the targets the next frame draws, at most their size. The
    // rest of each target is cleared to black by the passes that clear.
    void setDrawnSize(int drawnWidth, int drawnHeight);
    void run() { run(PixelRect{0, 0, width, height}); }
    void thresholdPass(const PixelRect& area);
    void blurVertical(const PixelRect& area);
    void blurHorizontal(const PixelRect& area);
    // Over area; the rest of the target gets the scene unchanged.
    void mixPass(const PixelRect& area);

    GLuint getSceneTexture() const { return sceneTexture; }
    GLuint getComposedTexture() const { return composedTexture; }

    ShaderProgram* thresholdProgram = nullptr;
    ShaderProgram* brightOnlyProgram = nullptr;  // the same, writing only what glows
    ShaderProgram* blurProgram = nullptr;
    ShaderProgram* mixProgram = nullptr;
    GLuint sceneFramebuffer = 0;
    GLuint glowFramebuffer = 0;
    GLuint blurFramebuffer = 0;
    GLuint mixFramebuffer = 0;
    GLuint sceneTexture = 0;
    GLuint sceneDepthTexture = 0;
    GLuint glowTexture = 0;
    GLuint blurTexture = 0;
    GLuint composedTexture = 0;
    int width = 0;  // the drawn part
    int height = 0;
    int textureWidth = 0;  // the targets
    int textureHeight = 0;
    GLenum internalFormat = 0;
    GLenum format = 0;
    GLenum type = 0;
    murk::QuadObject* blurQuad = nullptr;
    murk::QuadObject* thresholdQuad = nullptr;
    murk::QuadObject* mixQuad = nullptr;

private:
    GLuint createTarget(GLuint& texture);
    void thresholdInputs(GLuint program);
    PixelRect thresholdTiles(const PixelRect& area);
    // Binds the target; draws confine to area, outside it cleared when asked.
    void beginPass(GLuint framebuffer, const PixelRect& area, bool clearOutside);
    void endPass();
    void blurPass(GLuint target, GLuint source, GLint unit, glm::vec2 scale, const PixelRect& area,
                  bool clearOutside);

    Material* quadMaterial = nullptr;  // empty; the quads do not own it
    std::vector<GLuint> tileQueries;
};
