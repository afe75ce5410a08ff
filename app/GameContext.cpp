#include "app/GameContext.h"

void shutdown(GameContext& context) {
    context.world.reset();
    context.soundManager.reset();
    if (!context.lights.empty()) context.lights.front().reset();
    context.flashlight = nullptr;
    context.postProcess.reset();
    context.hudMaterial.reset();
    context.hudQuad.reset();
    context.spareQuad.reset();
    context.startScreen.reset();
    context.lights.clear();
    context.physicsWorld = nullptr;
}
