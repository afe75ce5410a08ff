#pragma once

#include <memory>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <glm/vec4.hpp>

#include "render/FrameView.h"
#include "render/ScreenBounds.h"
#include "render/UniformTable.h"

class GpuTimer;
struct FrameMatrices;
struct LightUse;
struct LightingVariants;
struct ObjectQueries;
class Light;
class PostProcess;
class ShaderProgram;
class TextRenderer;
class Texture;
struct Material;
namespace murk {
class QuadObject;
class SceneObject;
}  // namespace murk

// What the renderer drew in its last frame (the window title shows it).
struct DrawCounts {
    unsigned vertices = 0;
    unsigned faces = 0;
    unsigned objects = 0;
    float renderScale = 1.0f;    // of the window, for the 3-D passes
    bool flashlightOn = false;   // the flashlight shone
};

// Work the renderer can leave out without changing the picture; all on in
// the game, each can be switched off to check that.
struct FrameShortcuts {
    // Lays down the opaque scene's depth first, so each pixel is lit once
    // instead of once per covering surface.
    bool depthFirst = true;
    // Draws and blurs only the part of each shadow map its cone can read,
    // and draws into it only the casters that can reach that part.
    bool shadowRegions = true;
    // Objects a light is off for, or whose box its cone cannot reach, are
    // drawn by "default" compiled without that light's terms; a light that
    // reaches no drawn object gets no shadow map that frame.
    bool unreachedLightsLeftOut = true;
    // With depthFirst: each opaque "default" object is lit with a light's
    // terms only inside the screen rectangle that light's cone can cover,
    // and the bloom looks for bright parts only where a light fell or
    // something other than an unlit "default" object was drawn.
    bool conesOnScreen = true;
    // The bloom's bright pass finds which tiles of the picture glow at all,
    // and the blurs work only round those.
    bool glowTiles = true;
    // With depthFirst: an object whose box the depth pass hides wholly is
    // not lit (its box is drawn against that depth first, with a query).
    bool hiddenObjects = true;
};

struct RendererSetup {
    int width = 1;
    int height = 1;
    int shadowMapSize = 1024;
    // The texture slot counter of the level's import; the renderer's own
    // images and shadow maps take the next ones. Nothing reads slots any
    // more, but they are kept as the import hands them out.
    int* nextTextureSlot = nullptr;
    std::string cookedFolder;  // see Texture::load
    // Subtitles and the pause word; without it the game plays on unwritten.
    std::string fontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
};

// Draws frames: both shadow maps, the scene into the bloom chain's target,
// the bloom chain, then the screen image or the finished scene with the HUD
// on the window. Owns every GL resource of drawing that is not a scene
// object: lights' shadow maps, bloom targets, quads, screens, the HUD image,
// the uniform table and the program variants. Needs a current GL context
// from construction to destruction.
class Renderer {
public:
    Renderer(const std::vector<murk::SceneObject*>& objects, const RendererSetup& setup);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Clears the window at the start of a frame, before the game's update, as
    // the loop always has: the driver finishes the last frame's work there
    // rather than during the update. draw() clears itself when this was not called.
    void beginFrame();
    void draw(const FrameView& view);

    const DrawCounts& drawCounts() const { return counts; }
    // Set during a timedemo: GPU time per pass. Null stops timing.
    void setGpuTimer(GpuTimer* timer) { gpuTimer = timer; }
    void setShortcuts(const FrameShortcuts& frameShortcuts) { shortcuts = frameShortcuts; }

    // Scene pass parts that tests and tools look at.
    GLuint shadowMoments(int light) const;
    GLuint sceneTexture() const;
    GLuint composedTexture() const;

private:
    struct Programs;
    struct LitPartQueries;

    void beginScene(const FrameView& view, const FrameMatrices& m, bool depthFirst);
    void askWhetherLitPartsShow(const FrameView& view, const FrameMatrices& m, const LightUse& use);
    void shadowPasses(const FrameView& view, const LightUse& use);
    void present(const FrameView& view, const PixelRect& drawn);
    void drawHud(const FrameView& view);
    GLuint screenTexture(ScreenImage image) const;

    std::unique_ptr<Light> lights[2];  // flashlight, lamp
    std::unique_ptr<PostProcess> postProcess;
    std::unique_ptr<Programs> programs;
    std::unique_ptr<LightingVariants> lighting;
    std::unique_ptr<LitPartQueries> litPartQueries;
    std::unique_ptr<ObjectQueries> objectQueries;
    std::unique_ptr<murk::QuadObject> hudQuad;
    std::unique_ptr<murk::QuadObject> screenQuad;
    // A second screen quad the game's set-up has always made; nothing draws it.
    std::unique_ptr<murk::QuadObject> spareQuad;
    std::unique_ptr<Texture> hudImage;
    std::unique_ptr<TextRenderer> text;
    std::unique_ptr<Texture> startScreen, endScreen, helpScreen, wonScreen;
    UniformTable uniformTable;
    glm::vec4 hudArea{0.0f, 0.0f, 1.0f, 1.0f};  // measured once from the HUD image
    GLuint plainTexture = 0;  // grey, for objects without a diffuse texture
    GpuTimer* gpuTimer = nullptr;
    FrameShortcuts shortcuts;
    DrawCounts counts;
    bool windowCleared = false;
};
