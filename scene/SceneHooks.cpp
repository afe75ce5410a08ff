#include "scene/SceneHooks.h"

#include <iostream>

#include "app/FrameHooks.h"
#include "app/GameContext.h"
#include "render/FrameRenderer.h"
#include "scene/SceneSetup.h"

void addSceneHooks(FrameHooks& hooks) {
    hooks.initScene = [](GameContext& context, Window& window) {
        context.sceneAssets = makeOwned<SceneAssets>();
        initScene(context, &window, *context.sceneAssets, SceneSetupOptions{}, std::cout);
    };
    hooks.renderFrame = [](GameContext& context) {
        if (!context.sceneAssets) return;  // not set up
        renderFrame(context, context.sceneAssets->plainTexture, frameShortcuts(*context.sceneAssets));
    };
    hooks.beforeSwap = [](GameContext& context, InputSource& input) {
        if (!context.sceneAssets) return;
        context.sceneAssets->screenshotKey.poll(input, context.settings.width, context.settings.height);
    };
}
