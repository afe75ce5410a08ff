// Draws nothing: which image the window shows, and whether the HUD goes over it.
#include "render/Screens.h"

ScreenImage chooseScreen(const ScreenState& state) {
    ScreenImage image = state.wireframe ? ScreenImage::Scene : ScreenImage::Composed;
    if (!state.playing) {
        if (state.helpShown) {
            image = ScreenImage::Help;
        } else if (state.hasPlayed) {
            image = ScreenImage::End;
        } else {
            image = ScreenImage::Start;
        }
    }
    if (state.won) {
        image = state.helpShown ? ScreenImage::Help : ScreenImage::Won;
    }
    return image;
}

bool hudShown(const ScreenState& state) {
    return state.playing && !state.won;
}
