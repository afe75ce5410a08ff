#pragma once

#include <string>

#include "render/FrameView.h"

class TextRenderer;
struct UseKeyLabel;

// The words over a finished frame that are not subtitles: the pause menu
// and the options over a dimmed picture, a notice at the top for a changed
// setting, the note over the title and end screens. Drawn with the text
// renderer; reads only the view.
void drawMenu(TextRenderer& text, const MenuView& menu, float brightness, int width, int height);
void drawNotice(TextRenderer& text, const std::string& notice, int width, int height);
void drawScreenNote(TextRenderer& text, const std::string& note, int width, int height);
// A use key the player bound instead of E, on a key cap as the HUD draws E.
void drawUseKeyLabel(TextRenderer& text, const UseKeyLabel& label, int width, int height);
