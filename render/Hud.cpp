#include "render/Hud.h"

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

void drawHud(GameContext& context) {
    murk::SceneObject& quad = *context.hudQuad;
    glDisable(GL_DEPTH_TEST);
    quad.shader->use();
    glActiveTexture(GL_TEXTURE6);
    glBindTexture(GL_TEXTURE_2D, context.hudMaterial ? imageOf(context.hudMaterial->diffuseTexture) : 0);
    const HudValues values = hudValues(context.camera.fear, context.camera.energy);
    glUniform1i(uniform(quad, "hudTexture"), 6);
    glUniform1f(uniform(quad, "fear"), values.fear);
    glUniform1f(uniform(quad, "energy"), values.energy);
    quad.draw();
    glEnable(GL_DEPTH_TEST);
    if (context.wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
}

}  // namespace

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
    glActiveTexture(GL_TEXTURE7);
    glBindTexture(GL_TEXTURE_2D, screenTexture(context, chooseScreen(state)));
    glUniform1i(uniform(quad, "quadTexture"), 7);
    quad.draw();
    if (hudShown(state) && context.hudQuad) {
        drawHud(context);
    }
}
