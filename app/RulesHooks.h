#pragma once

struct FrameHooks;
class SoundSink;

struct RulesHookOptions {
    // Where the frame's sound calls go; null: the game's SoundManager.
    SoundSink* sounds = nullptr;
    // Whether the polygon mode is set (a GL context is current).
    bool polygonMode = true;
};

// Plugs the light and meters, the toggles and title, the frame's sounds, the
// flashlight placement and the end-of-frame rules into a frame's steps.
void addRulesHooks(FrameHooks& hooks, RulesHookOptions options = {});
