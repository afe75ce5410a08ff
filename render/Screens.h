#pragma once

// What the window shows under the HUD: the finished scene or one of the
// four full-screen images.
enum class ScreenImage {
    Composed,  // the scene with bloom
    Scene,     // the scene without bloom (wireframe mode)
    Start,
    End,
    Help,
    Won,
};

struct ScreenState {
    bool playing = false;
    bool won = false;
    bool helpShown = false;
    bool hasPlayed = false;
    bool wireframe = false;
};

// The screen table; later rules win:
//   always                                  the scene (without bloom in wireframe)
//   not playing, no help, no game yet       Start
//   not playing, no help, a game played     End
//   not playing, help                       Help
//   won, no help                            Won (even while playing is still set)
//   won, help                               Help
ScreenImage chooseScreen(const ScreenState& state);

// The HUD is drawn only over a game in progress.
bool hudShown(const ScreenState& state);
