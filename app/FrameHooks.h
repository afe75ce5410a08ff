#pragma once

#include <functional>

class InputSource;
class Window;
struct GameContext;

// The steps of start-up and of a frame that other parts of the game supply.
// The loop calls each one at its place when it is set and skips it when it is
// empty, so the game runs while parts are missing and a test can set only
// what it watches. gameHooks() (app/GameHooks.cpp) wires the real game.
struct FrameHooks {
    using Step = std::function<void(GameContext&, InputSource&, double dt)>;

    // Start-up, once, after the GL context exists: scene, lights, sounds, game state.
    std::function<void(GameContext&, Window&)> initScene;
    // After each update: the whole picture.
    std::function<void(GameContext&)> renderFrame;
    // Every frame, after the picture is drawn and before it is shown (F12).
    std::function<void(GameContext&, InputSource&)> beforeSwap;

    // Playing frame, in this order:
    Step padLightControls;  // pad only, before the pad moves the camera: triggers, meters
    Step pickRay;           // pad only, while the right trigger is held
    Step debugToggles;      // F2..F9, frame-rate counter, first part of the title, polygon mode
    Step lightLogic;        // left mouse button: energy, fear, flashlight
    // (physics step and eye placement)
    Step frameSounds;       // music, zones, enemies, footsteps
    Step placeFlashlight;   // in front of the eye
    Step updateObjects;     // each scene object's update hook
    Step finishTitle;       // drawing statistics, then the window title is set
    Step endOfFrameRules;   // pick-ups, lamp swing, E key, lose, win
};

// The hooks of the real game.
FrameHooks gameHooks();
