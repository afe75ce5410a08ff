// The frame from start to end: the depth of the scene and the questions
// whether each light's lit parts show, both shadow maps, the scene pass
// (render/ScenePass.cpp), the bloom, then the scene or a screen on the
// window with the HUD, the subtitles and the pause word over it.
#include "render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

#include <glm/common.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "render/GlUniforms.h"
#include "render/GpuTimer.h"
#include "render/Hud.h"
#include "render/TextRenderer.h"
#include "render/Light.h"
#include "render/MenuScreen.h"
#include "render/LightReach.h"
#include "render/PostProcess.h"
#include "render/Projection.h"
#include "render/ScenePass.h"
#include "render/ScreenBounds.h"
#include "render/ShadowMap.h"
#include "scene/Material.h"
#include "scene/ObjectRoles.h"
#include "scene/SceneObject.h"
#include "scene/ShaderProgram.h"
#include "scene/Texture.h"

namespace {

using gl::bindTexture;
using gl::imageOf;
using gl::named;
using gl::setMatrix;

// Unit of each texture the renderer binds itself (the scene pass has its own).
constexpr GLint hudUnit = 6;
constexpr GLint screenUnit = 7;

}  // namespace

namespace {

// A full-window quad with its own program and an empty material.
struct Quad {
    std::unique_ptr<ShaderProgram> program;
    std::unique_ptr<Material> material;
};

std::unique_ptr<murk::QuadObject> makeQuad(Quad& parts, const std::string& shader) {
    parts.program = std::make_unique<ShaderProgram>("Shader/" + shader + ".vert", "Shader/" + shader + ".frag");
    parts.material = std::make_unique<Material>();
    return std::make_unique<murk::QuadObject>(glm::mat4(1.0f), parts.program.get(), parts.material.get());
}

// The lamp's map shares the flashlight's depth buffer and blur target: the
// two are drawn and blurred one after the other.
ShadowMap* makeShadowMap(int size, int slot, const ShadowMap* sharing = nullptr) {
    return new ShadowMap(size, size, GL_RG32F, GL_RG, GL_FLOAT, slot, "varianceShadowMapping", "gaussian", sharing);
}

std::unique_ptr<Texture> loadImage(const char* name, int slot, const std::string& cookedFolder) {
    auto texture = std::make_unique<Texture>();
    texture->load(name, slot, "RGB", cookedFolder);
    return texture;
}

// A 1x1 mid-grey texture for untextured surfaces.
GLuint makePlainTexture() {
    const unsigned char grey[3] = {150, 150, 150};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, grey);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// The HUD area of an image, read back from GL.
glm::vec4 measureHudArea(GLuint image) {
    if (image == 0) return {0.0f, 0.0f, 1.0f, 1.0f};
    GLint width = 0;
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, image);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(std::max(width, 0)) *
                                   static_cast<std::size_t>(std::max(height, 0)) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!rgb.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    return hudArea(rgb, width, height);
}

// Confines drawing to the HUD's part of the viewport.
void scissorTo(const glm::vec4& area) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const auto at = [](float fraction, GLint size) {
        return static_cast<GLint>(std::floor(fraction * static_cast<float>(size)));
    };
    const GLint x0 = viewport[0] + at(area.x, viewport[2]) - 1;
    const GLint y0 = viewport[1] + at(area.y, viewport[3]) - 1;
    const GLint x1 = viewport[0] + at(area.z, viewport[2]) + 2;
    const GLint y1 = viewport[1] + at(area.w, viewport[3]) + 2;
    glEnable(GL_SCISSOR_TEST);
    glScissor(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

}  // namespace

// The programs the renderer makes for itself.
struct Renderer::Programs {
    Quad hud, screen, spare;
    // "quad" without the brightness curve, for the picture as made.
    std::unique_ptr<ShaderProgram> plainScreen;
    // plainScreen reading each pixel's own texel: for the scene's images,
    // which have the window's size, where filtering a texel centre only
    // costs time.
    std::unique_ptr<ShaderProgram> ownTexelScreen;
    // The scene's images drawn at a render scale below 1, filtered up to the
    // window, without and with the brightness curve.
    std::unique_ptr<ShaderProgram> scaledScreen, scaledCurveScreen;
    // Lays down the scene's depth before it is lit.
    std::unique_ptr<ShaderProgram> depth;
};

// Whether each light's lit parts showed against the scene's depth.
struct Renderer::LitPartQueries {
    explicit LitPartQueries(ShaderProgram* program) : cube(program) { glGenQueries(2, queries); }
    ~LitPartQueries() { glDeleteQueries(2, queries); }
    LitPartQueries(const LitPartQueries&) = delete;
    LitPartQueries& operator=(const LitPartQueries&) = delete;

    UnitCube cube;
    GLuint queries[2] = {0, 0};
    bool asked[2] = {false, false};
    bool drawing = false;
};

Renderer::Renderer(const std::vector<murk::SceneObject*>& objects, const RendererSetup& setup)
    : programs(std::make_unique<Programs>()) {
    int spareSlot = 0;
    int& slot = setup.nextTextureSlot != nullptr ? *setup.nextTextureSlot : spareSlot;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glViewport(0, 0, setup.width, setup.height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    hudImage = loadImage("hud.png", slot, setup.cookedFolder);
    ++slot;
    hudQuad = makeQuad(programs->hud, "hud");
    lights[0] = std::make_unique<Light>(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(0.0f, 1.0f, 0.0f), 1.0f,
                                        makeShadowMap(setup.shadowMapSize, slot), 1.0f);
    slot += 4;
    postProcess = std::make_unique<PostProcess>(setup.width, setup.height, GL_RGBA8, GL_RGB, GL_UNSIGNED_BYTE,
                                                "threshold", "gaussian_bloom", "mix");
    screenQuad = makeQuad(programs->screen, "quad");
    lights[1] = std::make_unique<Light>(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(0.0f, 1.0f, 0.0f), 1.0f,
                                        makeShadowMap(setup.shadowMapSize, slot, lights[0]->shadowMap), 1.0f);
    uniformTable = buildUniformTable(objects);
    startScreen = loadImage("Start.jpg", slot + 1, setup.cookedFolder);
    endScreen = loadImage("End.jpg", slot + 2, setup.cookedFolder);
    helpScreen = loadImage("Help.jpg", slot + 3, setup.cookedFolder);
    wonScreen = loadImage("Won.jpg", slot + 4, setup.cookedFolder);
    spareQuad = makeQuad(programs->spare, "quad");

    plainTexture = makePlainTexture();
    programs->depth = std::make_unique<ShaderProgram>("Shader/depth.vert", "Shader/depth.frag");
    programs->plainScreen = std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag", "", "#define PLAIN");
    programs->ownTexelScreen =
        std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag", "", "#define PLAIN\n#define OWN_TEXEL");
    programs->scaledScreen =
        std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag", "", "#define PLAIN\n#define SCALED");
    programs->scaledCurveScreen =
        std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag", "", "#define SCALED");
    litPartQueries = std::make_unique<LitPartQueries>(programs->depth.get());
    objectQueries = std::make_unique<ObjectQueries>(programs->depth.get());
    lighting = std::make_unique<LightingVariants>();
    // The pick-up orbs, the use key and the brightness bar draw where the image is black.
    const glm::vec4 extras(0.0625f, 0.034f, 0.33f, 0.128f);
    const glm::vec4 measured = measureHudArea(imageOf(hudImage.get()));
    hudArea = glm::vec4(glm::min(glm::vec2(measured), glm::vec2(extras)),
                        glm::max(glm::vec2(measured.z, measured.w), glm::vec2(extras.z, extras.w)));
    text = std::make_unique<TextRenderer>(setup.fontFile, setup.cookedFolder);
    if (!text->ok()) std::cout << "font " << setup.fontFile << " could not be read: no subtitles" << std::endl;
}

Renderer::~Renderer() {
    glDeleteTextures(1, &plainTexture);
}

GLuint Renderer::shadowMoments(int light) const { return lights[light == 0 ? 0 : 1]->shadowMap->getMomentsTexture(); }
GLuint Renderer::sceneTexture() const { return postProcess->getSceneTexture(); }
GLuint Renderer::composedTexture() const { return postProcess->getComposedTexture(); }

void Renderer::beginFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    windowCleared = true;
}

void Renderer::draw(const FrameView& view) {
    if (!windowCleared) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    windowCleared = false;
    counts = DrawCounts{};
    const SpotLight* spots[2] = {&view.flashlight, &view.lamp};
    for (int l = 0; l < 2; ++l) {
        lights[l]->position = spots[l]->position;
        lights[l]->direction = spots[l]->direction;
        lights[l]->cutOff = spots[l]->cutOff;
        lights[l]->intensity = spots[l]->intensity;
    }
    // The eye's matrices keep the window's shape; the 3-D passes draw into
    // the scaled part of their targets, as if that were the window.
    const FrameMatrices m = frameMatrices(view, *lights[0], *lights[1]);
    const PixelRect drawn = scaledView(view.width, view.height, view.renderScale);
    FrameView scaled = view;
    scaled.width = drawn.width;
    scaled.height = drawn.height;
    postProcess->setDrawnSize(drawn.width, drawn.height);
    counts.renderScale = static_cast<float>(drawn.width) / static_cast<float>(std::max(view.width, 1));
    counts.flashlightOn = view.flashlight.intensity > 0.0f;
    SceneInputs inputs;
    inputs.lights[0] = lights[0].get();
    inputs.lights[1] = lights[1].get();
    inputs.variants = lighting.get();
    inputs.table = &uniformTable;
    inputs.plainTexture = plainTexture;
    inputs.queries = shortcuts.hiddenObjects ? objectQueries.get() : nullptr;
    ScenePass pass(scaled, m, inputs, counts);
    if (shortcuts.unreachedLightsLeftOut) pass.leaveOutUnreachedLights();
    const bool depthFirst = shortcuts.depthFirst && !view.wireframe;
    // Splitting a draw by screen area needs the depth pass's stencil.
    const bool byScreenArea = depthFirst && shortcuts.conesOnScreen;
    const LightUse use = pass.lightUse(byScreenArea);
    litPartQueries->asked[0] = litPartQueries->asked[1] = false;
    {
        GpuScope scope(gpuTimer, GpuPass::Scene);
        beginScene(scaled, m, depthFirst);
        if (byScreenArea) askWhetherLitPartsShow(scaled, m, use);
    }
    shadowPasses(scaled, use);
    {
        GpuScope scope(gpuTimer, GpuPass::Scene);
        glBindFramebuffer(GL_FRAMEBUFFER, postProcess->sceneFramebuffer);
        pass.draw(depthFirst, byScreenArea);
    }
    {
        GpuScope scope(gpuTimer, GpuPass::Bloom);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        postProcess->run(shortcuts.conesOnScreen ? pass.brightArea() : drawn, shortcuts.glowTiles);
    }
    GpuScope scope(gpuTimer, GpuPass::PresentHud);
    present(view, drawn);
}


// Both lights' shadow maps, depth and blur timed apart, always filled
// (wireframe only changes the scene pass). A light that lights nothing drawn
// this frame keeps last frame's map: nothing reads it.
void Renderer::shadowPasses(const FrameView& view, const LightUse& use) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDepthFunc(GL_LESS);  // the scene's depth pass left its own
    const glm::vec3 ups[2] = {view.flashlight.up, view.lamp.up};
    for (std::size_t l = 0; l < 2; ++l) {
        const Light& light = *lights[l];
        // Timed even when skipped, so each frame reports every pass. Where the
        // lit parts were drawn against the scene's depth, the GL skips the map
        // by itself when none of them showed.
        const bool seen = use.always[l] || !use.lit[l].empty();
        const bool asked = seen && litPartQueries->asked[l];
        if (asked) glBeginConditionalRender(litPartQueries->queries[l], GL_QUERY_WAIT);
        // Only the part of the map the cone can read is drawn and blurred:
        // the rest would never be looked at.
        const ShadowMap& map = *light.shadowMap;
        const MapRegion region = shortcuts.shadowRegions ? shadowReadRegion(light.cutOff, map.width, map.height)
                                                         : MapRegion{0, 0, map.width, map.height};
        glEnable(GL_SCISSOR_TEST);
        glScissor(region.x, region.y, region.width, region.height);
        {
            GpuScope scope(gpuTimer, l == 0 ? GpuPass::Shadow0 : GpuPass::Shadow1);
            if (seen) renderShadowDepth(light, ups[l], *view.objects, shortcuts.shadowRegions);
        }
        {
            GpuScope scope(gpuTimer, GpuPass::Blurs);
            if (seen) light.shadowMap->blur();
        }
        if (asked) glEndConditionalRender();
        glDisable(GL_SCISSOR_TEST);
    }
}

// The scene's target cleared, and its depth laid down when depthFirst.
void Renderer::beginScene(const FrameView& view, const FrameMatrices& m, bool depthFirst) {
    glBindFramebuffer(GL_FRAMEBUFFER, postProcess->sceneFramebuffer);
    glViewport(0, 0, view.width, view.height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (depthFirst) depthPass(view, m, *programs->depth);
}

// Draws the box of each light's lit parts against the scene's depth,
// counting whether any of it shows: a surface the light falls on lies in
// the box, so where it shows, the box's near side is in front of it. Not
// asked with the eye in or at the box, where that side is behind.
void Renderer::askWhetherLitPartsShow(const FrameView& view, const FrameMatrices& m, const LightUse& use) {
    LitPartQueries& q = *litPartQueries;
    for (int l = 0; l < 2; ++l) {
        if (use.always[l] || use.lit[l].empty()) continue;
        const glm::vec3 low = use.lit[l].min - glm::vec3(0.01f);
        const glm::vec3 high = use.lit[l].max + glm::vec3(0.01f);
        const glm::vec3 margin(0.1f);
        if (glm::all(glm::greaterThan(view.eye, low - margin)) && glm::all(glm::lessThan(view.eye, high + margin)))
            continue;
        if (!q.drawing) {
            programs->depth->use();
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
            glDepthMask(GL_FALSE);
            glDisable(GL_CULL_FACE);
            q.drawing = true;
        }
        const glm::mat4 box = glm::scale(glm::translate(glm::mat4(1.0f), low), high - low);
        setMatrix(named(*programs->depth, "mvpMatrix"), m.projection * m.view * box);
        glBeginQuery(GL_ANY_SAMPLES_PASSED, q.queries[l]);
        q.cube.draw();
        glEndQuery(GL_ANY_SAMPLES_PASSED);
        q.asked[l] = true;
    }
    if (q.drawing) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glEnable(GL_CULL_FACE);
        q.drawing = false;
    }
}


GLuint Renderer::screenTexture(ScreenImage image) const {
    switch (image) {
    case ScreenImage::Composed: return postProcess->getComposedTexture();
    case ScreenImage::Scene: return postProcess->getSceneTexture();
    case ScreenImage::Start: return imageOf(startScreen.get());
    case ScreenImage::End: return imageOf(endScreen.get());
    case ScreenImage::Help: return imageOf(helpScreen.get());
    case ScreenImage::Won: return imageOf(wonScreen.get());
    }
    return 0;
}

// With the window framebuffer bound: the screen quad with the finished
// scene or a full-screen image, then the HUD while a game is in progress.
void Renderer::present(const FrameView& view, const PixelRect& drawn) {
    const bool curve = view.brightness > 0.0f && view.brightness != 1.0f;
    const ScreenImage image = chooseScreen(view.screen);
    const bool sceneImage = image == ScreenImage::Composed || image == ScreenImage::Scene;
    const bool scaledUp = sceneImage && !drawn.covers(view.width, view.height);
    const ShaderProgram& program = scaledUp     ? (curve ? *programs->scaledCurveScreen : *programs->scaledScreen)
                                   : curve      ? *screenQuad->shader
                                   : sceneImage ? *programs->ownTexelScreen
                                                : *programs->plainScreen;
    program.use();
    glViewport(0, 0, view.width, view.height);
    // The quad covers the window: a depth test would only cost time.
    glDisable(GL_DEPTH_TEST);
    bindTexture(screenUnit, screenTexture(image));
    glUniform1i(named(program, "quadTexture"), screenUnit);
    glUniform1f(named(program, "brightness"), view.brightness);
    if (scaledUp) {
        // The drawn part of the image, filtered up to the window; reads stay
        // half a texel inside it, where the rest of the target never leaks in.
        const glm::vec2 size(static_cast<float>(view.width), static_cast<float>(view.height));
        const glm::vec2 part(static_cast<float>(drawn.width), static_cast<float>(drawn.height));
        glUniform2f(named(program, "imageScale"), part.x / size.x, part.y / size.y);
        glUniform4f(named(program, "imageBounds"), 0.5f / size.x, 0.5f / size.y, (part.x - 0.5f) / size.x,
                    (part.y - 0.5f) / size.y);
    }
    screenQuad->draw();
    glEnable(GL_DEPTH_TEST);
    if (hudShown(view.screen) && view.menu.kind != MenuView::Kind::Options) {
        drawHud(view);
        drawUseKeyLabel(*text, useKeyLabel(view, view.width, view.height), view.width, view.height);
    }
    text->drawBottom(view.subtitles, view.width, view.height, view.subtitleScale);
    drawScreenNote(*text, view.screenNote, view.width, view.height);
    drawMenu(*text, view.menu, view.brightness, view.width, view.height);
    drawNotice(*text, view.notice, view.width, view.height);
}

void Renderer::drawHud(const FrameView& view) {
    const ShaderProgram& program = *hudQuad->shader;
    glDisable(GL_DEPTH_TEST);
    program.use();
    bindTexture(hudUnit, imageOf(hudImage.get()));
    scissorTo(hudArea);
    const HudValues values = hudValues(view);
    glUniform1i(named(program, "hudTexture"), hudUnit);
    glUniform1f(named(program, "fear"), values.fear);
    glUniform1f(named(program, "energy"), values.energy);
    glUniform1f(named(program, "pickups"), static_cast<float>(view.pickupsHeld));
    glUniform1f(named(program, "pickupFlash"), view.pickupFlash);
    glUniform1i(named(program, "useKey"), values.useKey);
    glUniform1f(named(program, "brightness"), view.brightness);
    glUniform1f(named(program, "brightnessShown"), view.brightnessShown);
    hudQuad->draw();
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_TEST);
}
