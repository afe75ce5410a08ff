#pragma once

#include <GL/glew.h>

#include "render/Screens.h"

struct GameContext;

// The values the HUD program gets: both meters as 0..1.
struct HudValues {
    float fear = 0.0f;
    float energy = 0.0f;
};
HudValues hudValues(float fear, float energy);

// The screens and HUD state of the frame, from the context.
ScreenState screenState(const GameContext& context);

// The GL texture the screen quad shows; 0 (black) when its image is missing.
GLuint screenTexture(const GameContext& context, ScreenImage image);

// The last step of a frame, with the window framebuffer bound: the screen
// quad with the finished scene or a full-screen image, then the HUD while a
// game is in progress (depth test off; in wireframe mode the polygon mode
// goes back to lines for the next frame's scene).
void presentFrame(GameContext& context);
