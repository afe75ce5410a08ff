// The bloom: the scene's bright parts cut out, blurred and added back.
#include "render/PostProcess.h"

#include "render/RenderTexture.h"

#include <algorithm>
#include "scene/ShaderProgram.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"

namespace {

// Brightness above which the scene glows.
constexpr float kThreshold = 0.8f;
// The grid the bright pass is drawn in when it looks for glow: small enough
// tiles to leave most of a lit wall out, few enough draws to cost little.
constexpr int kTileColumns = 8;
constexpr int kTileRows = 6;

ShaderProgram* loadProgram(const std::string& name) {
    return new ShaderProgram("Shader/" + name + ".vert", "Shader/" + name + ".frag");
}

}  // namespace

PostProcess::PostProcess(int width_, int height_, GLenum internalFormat_, GLenum format_,
                         GLenum type_, const std::string& thresholdName,
                         const std::string& blurName, const std::string& mixName)
    : width(width_),
      height(height_),
      textureWidth(width_),
      textureHeight(height_),
      internalFormat(internalFormat_),
      format(format_),
      type(type_) {
    thresholdProgram = loadProgram(thresholdName);
    brightOnlyProgram = new ShaderProgram("Shader/" + thresholdName + ".vert", "Shader/" + thresholdName + ".frag",
                                          "", "#define ONLY_BRIGHT");
    tileQueries.resize(kTileColumns * kTileRows);
    glGenQueries(static_cast<GLsizei>(tileQueries.size()), tileQueries.data());
    blurProgram = loadProgram(blurName);
    mixProgram = loadProgram(mixName);

    glGenFramebuffers(1, &sceneFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
    sceneTexture = murk::createRenderTexture(GL_TEXTURE0, static_cast<GLint>(internalFormat),
                                             width, height, format, type);
    // With stencil: the scene pass lets only the first surface at the front
    // light a pixel, as a plain depth test would (render/FrameRenderer.cpp).
    // No mipmaps: GL refuses them for a depth-stencil image.
    glActiveTexture(GL_TEXTURE1);
    glGenTextures(1, &sceneDepthTexture);
    glBindTexture(GL_TEXTURE_2D, sceneDepthTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH32F_STENCIL8, width, height, 0, GL_DEPTH_STENCIL,
                 GL_FLOAT_32_UNSIGNED_INT_24_8_REV, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sceneTexture, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_TEXTURE_2D, sceneDepthTexture,
                           0);

    blurFramebuffer = createTarget(blurTexture);
    glowFramebuffer = createTarget(glowTexture);
    mixFramebuffer = createTarget(composedTexture);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    quadMaterial = new Material();
    blurQuad = new murk::QuadObject(glm::mat4(1.0f), blurProgram, quadMaterial);
    thresholdQuad = new murk::QuadObject(glm::mat4(1.0f), thresholdProgram, quadMaterial);
    mixQuad = new murk::QuadObject(glm::mat4(1.0f), mixProgram, quadMaterial);
}

PostProcess::~PostProcess() {
    delete mixQuad;
    delete thresholdQuad;
    delete blurQuad;
    delete quadMaterial;
    const GLuint framebuffers[4] = {sceneFramebuffer, glowFramebuffer, blurFramebuffer,
                                    mixFramebuffer};
    glDeleteFramebuffers(4, framebuffers);
    const GLuint textures[5] = {sceneTexture, sceneDepthTexture, glowTexture, blurTexture,
                                composedTexture};
    glDeleteTextures(5, textures);
    glDeleteQueries(static_cast<GLsizei>(tileQueries.size()), tileQueries.data());
    delete mixProgram;
    delete blurProgram;
    delete brightOnlyProgram;
    delete thresholdProgram;
}

GLuint PostProcess::createTarget(GLuint& texture) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    texture = murk::createRenderTexture(GL_TEXTURE0, static_cast<GLint>(internalFormat), width,
                                        height, format, type);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    return framebuffer;
}

void PostProcess::setDrawnSize(int drawnWidth, int drawnHeight) {
    width = std::clamp(drawnWidth, 1, textureWidth);
    height = std::clamp(drawnHeight, 1, textureHeight);
}

void PostProcess::run(const PixelRect& bright, bool findGlow) {
    const PixelRect whole{0, 0, width, height};
    PixelRect glow = overlap(whole, bright);
    // The 9-tap blur reaches four texels each way.
    if (findGlow) {
        glow = thresholdTiles(glow);
    } else {
        thresholdPass(glow);
    }
    const PixelRect down = overlap(whole, grown(glow, 0, 4));
    const PixelRect spread = overlap(whole, grown(glow, 4, 4));
    blurVertical(down);
    blurHorizontal(spread);
    mixPass(spread);
}

void PostProcess::beginPass(GLuint framebuffer, const PixelRect& area, bool clearOutside) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    // A pass over the whole target needs no clear: its quad covers it all.
    if (area.covers(textureWidth, textureHeight)) return;
    if (clearOutside) {
        // Black, as the pass itself gives below the threshold.
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(area.x, area.y, area.width, area.height);
}

void PostProcess::endPass() {
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void PostProcess::thresholdPass(const PixelRect& area) {
    thresholdProgram->use();
    beginPass(glowFramebuffer, area, true);
    thresholdInputs(thresholdProgram->program);
    if (!area.empty()) thresholdQuad->draw();
    endPass();
}

void PostProcess::thresholdInputs(GLuint program) {
    glActiveTexture(GL_TEXTURE7);
    glBindTexture(GL_TEXTURE_2D, sceneTexture);
    glUniform1f(glGetUniformLocation(program, "threshold"), kThreshold);
    glUniform1i(glGetUniformLocation(program, "sceneMap"), 7);
}

// The same bright pass drawn tile by tile over a target cleared to black,
// writing only what passes the threshold; a query per tile tells which
// tiles got any of it. The blurs then need only the rectangle round those.
PixelRect PostProcess::thresholdTiles(const PixelRect& area) {
    brightOnlyProgram->use();
    glBindFramebuffer(GL_FRAMEBUFFER, glowFramebuffer);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    thresholdInputs(brightOnlyProgram->program);
    glEnable(GL_SCISSOR_TEST);
    std::vector<PixelRect> drawn;
    for (int row = 0; row < kTileRows; ++row) {
        for (int column = 0; column < kTileColumns; ++column) {
            const int left = column * width / kTileColumns;
            const int bottom = row * height / kTileRows;
            const PixelRect tile{left, bottom, (column + 1) * width / kTileColumns - left,
                                 (row + 1) * height / kTileRows - bottom};
            const PixelRect part = overlap(tile, area);
            if (part.empty()) continue;
            glScissor(part.x, part.y, part.width, part.height);
            glBeginQuery(GL_ANY_SAMPLES_PASSED, tileQueries[drawn.size()]);
            thresholdQuad->draw();
            glEndQuery(GL_ANY_SAMPLES_PASSED);
            drawn.push_back(part);
        }
    }
    endPass();
    PixelRect glowing;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        GLuint any = 0;
        glGetQueryObjectuiv(tileQueries[i], GL_QUERY_RESULT, &any);
        if (any != 0) glowing = unite(glowing, drawn[i]);
    }
    return glowing;
}

void PostProcess::blurVertical(const PixelRect& area) {
    blurProgram->use();
    blurPass(blurFramebuffer, glowTexture, 8, glm::vec2(0.0f, 1.0f / static_cast<float>(textureHeight)), area, true);
}

// The glow target outside area still holds the bright pass's black.
void PostProcess::blurHorizontal(const PixelRect& area) {
    blurProgram->use();
    blurPass(glowFramebuffer, blurTexture, 9, glm::vec2(1.0f / static_cast<float>(textureWidth), 0.0f), area, false);
}

void PostProcess::blurPass(GLuint target, GLuint source, GLint unit, glm::vec2 scale, const PixelRect& area,
                           bool clearOutside) {
    beginPass(target, area, clearOutside);
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, source);
    const GLuint program = blurProgram->program;
    glUniform2f(glGetUniformLocation(program, "scale"), scale.x, scale.y);
    glUniform1i(glGetUniformLocation(program, "shadowMap"), unit);
    if (!area.empty()) blurQuad->draw();
    endPass();
}

void PostProcess::mixPass(const PixelRect& area) {
    if (!area.covers(width, height)) {
        // Where no glow reaches, the mix is the scene itself: copied, not drawn.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, sceneFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, mixFramebuffer);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    mixProgram->use();
    beginPass(mixFramebuffer, area, false);
    glActiveTexture(GL_TEXTURE10);
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    glActiveTexture(GL_TEXTURE11);
    glBindTexture(GL_TEXTURE_2D, sceneTexture);
    const GLuint program = mixProgram->program;
    glUniform1i(glGetUniformLocation(program, "glowMap"), 10);
    glUniform1i(glGetUniformLocation(program, "sceneMap"), 11);
    if (!area.empty()) mixQuad->draw();
    endPass();
}
