#pragma once

#include <string>

#include "app/Config.h"
#include "audio/GameSounds.h"

struct GameContext;

// What the settings change in the running game, and keeping them in the
// player's settings file. Steps of the frame, in app/Frame.cpp's order.

// The part of a play's volume a sound of this kind keeps (0..1).
float volumeScale(const Volumes& volumes, SoundKind kind);

// Brings the sounds' volumes, the field of view (projection and culling)
// and the head bob to the settings; only what changed is passed on.
void applySettings(GameContext& context);

// A word on screen for a moment: a changed value, "saved".
void showNotice(GameContext& context, const std::string& text);
void fadeNotice(GameContext& context, float dt);

// Writes the settings file now (F10), saying so on screen.
void saveSettingsNow(GameContext& context);
// Writes it when anything differs from what it holds (leaving the options).
void keepChangedSettings(GameContext& context);
