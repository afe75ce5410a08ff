#include "render/Hud.h"

#include <algorithm>
#include <cmath>

#include "app/GameContext.h"
#include "render/PostProcess.h"
#include "render/ShaderProgram.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"

namespace {

GLuint imageOf(const Texture* texture) {
    return texture != nullptr && texture->id != Texture::noImage ? texture->id : 0;
}

GLint uniform(const murk::SceneObject& quad, const char* name) {
    return glGetUniformLocation(quad.shader->program, name);
}

// Confines drawing to the HUD's part of the viewport.
void scissorTo(const glm::vec4& area) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const auto at = [](float fraction, GLint size) { return static_cast<GLint>(std::floor(fraction * static_cast<float>(size))); };
    const GLint x0 = viewport[0] + at(area.x, viewport[2]) - 1;
    const GLint y0 = viewport[1] + at(area.y, viewport[3]) - 1;
    const GLint x1 = viewport[0] + at(area.z, viewport[2]) + 2;
    const GLint y1 = viewport[1] + at(area.w, viewport[3]) + 2;
    glEnable(GL_SCISSOR_TEST);
    glScissor(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

// The HUD area of an image, read back from GL.
glm::vec4 measureHudArea(GLuint image) {
    GLint width = 0;
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, image);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!rgb.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return hudArea(rgb, width, height);
}

void drawHud(GameContext& context) {
    murk::SceneObject& quad = *context.hudQuad;
    glDisable(GL_DEPTH_TEST);
    quad.shader->use();
    glActiveTexture(GL_TEXTURE6);
    const GLuint image = context.hudMaterial ? imageOf(context.hudMaterial->diffuseTexture) : 0;
    if (image != context.hudArea.image) {
        context.hudArea.image = image;
        context.hudArea.area = image != 0 ? measureHudArea(image) : glm::vec4(0.0f, 0.0f, 1.0f, 1.0f);
    }
    glBindTexture(GL_TEXTURE_2D, image);
    scissorTo(context.hudArea.area);
    const HudValues values = hudValues(context.camera.fear, context.camera.energy);
    glUniform1i(uniform(quad, "hudTexture"), 6);
    glUniform1f(uniform(quad, "fear"), values.fear);
    glUniform1f(uniform(quad, "energy"), values.energy);
    quad.draw();
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_TEST);
    if (context.wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
}

}  // namespace

glm::vec4 hudArea(const std::vector<unsigned char>& rgb, int width, int height) {
    const glm::vec4 everything(0.0f, 0.0f, 1.0f, 1.0f);
    if (width <= 0 || height <= 0 || rgb.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
        return everything;
    }
    // The meters' troughs, as "hud.frag" has them: filled even where the image is black.
    glm::vec4 area(0.0625f, 0.066667f, 0.2625f, 0.127778f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* texel = &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
            if (texel[0] == 0 && texel[1] == 0 && texel[2] == 0) continue;
            // The texel and one beyond it each way, which linear filtering can reach.
            area.x = std::min(area.x, static_cast<float>(x - 1) / static_cast<float>(width));
            area.y = std::min(area.y, static_cast<float>(y - 1) / static_cast<float>(height));
            area.z = std::max(area.z, static_cast<float>(x + 2) / static_cast<float>(width));
            area.w = std::max(area.w, static_cast<float>(y + 2) / static_cast<float>(height));
        }
    }
    return glm::clamp(area, glm::vec4(0.0f), glm::vec4(1.0f));
}

HudValues hudValues(float fear, float energy) {
    return {fear / 100.0f, energy / 100.0f};
}

ScreenState screenState(const GameContext& context) {
    ScreenState state;
    state.playing = context.camera.playing;
    state.won = context.won;
    state.helpShown = context.helpShown;
    state.hasPlayed = context.hasPlayed;
    state.wireframe = context.wireframe;
    return state;
}

GLuint screenTexture(const GameContext& context, ScreenImage image) {
    switch (image) {
    case ScreenImage::Composed:
        return context.postProcess ? context.postProcess->getComposedTexture() : 0;
    case ScreenImage::Scene:
        return context.postProcess ? context.postProcess->getSceneTexture() : 0;
    case ScreenImage::Start:
        return imageOf(context.startScreen.get());
    case ScreenImage::End:
        return imageOf(context.endScreen.get());
    case ScreenImage::Help:
        return imageOf(context.helpScreen.get());
    case ScreenImage::Won:
        return imageOf(context.wonScreen.get());
    }
    return 0;
}

void presentFrame(GameContext& context) {
    const ScreenState state = screenState(context);
    murk::SceneObject& quad = *context.screenQuad;
    quad.shader->use();
    // The quad covers the window: a depth test would only cost time.
    glDisable(GL_DEPTH_TEST);
    glActiveTexture(GL_TEXTURE7);
    glBindTexture(GL_TEXTURE_2D, screenTexture(context, chooseScreen(state)));
    glUniform1i(uniform(quad, "quadTexture"), 7);
    quad.draw();
    glEnable(GL_DEPTH_TEST);
    if (hudShown(state) && context.hudQuad) {
        drawHud(context);
    }
}
