#include "app/GameContext.h"

#include "audio/SoundManager.h"
#include "render/Renderer.h"
#include "scene/ModelLoader.h"
#include "scene/SceneObject.h"
#include "scene/World.h"

GameContext::GameContext() = default;
GameContext::~GameContext() = default;

void shutdown(GameContext& context) {
    context.world.reset();
    context.physicsWorld = nullptr;
    context.soundManager.reset();
    context.renderer.reset();
}
