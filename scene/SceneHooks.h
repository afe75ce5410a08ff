#pragma once

struct FrameHooks;

// Plugs the scene set-up and the frame's picture into the game's steps:
// initScene once at start-up, then every frame renderFrame followed by the
// F12 screenshot of what is about to be shown.
void addSceneHooks(FrameHooks& hooks);
