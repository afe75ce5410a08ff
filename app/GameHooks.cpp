#include "app/FrameHooks.h"
#include "app/RulesHooks.h"
#include "scene/SceneHooks.h"

// Each part of the game plugs its steps in here, one line each.
FrameHooks gameHooks() {
    FrameHooks hooks;
    addRulesHooks(hooks);
    addSceneHooks(hooks);
    return hooks;
}
