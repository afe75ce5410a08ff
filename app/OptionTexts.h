#pragma once

#include <string>

// How a setting's value reads on screen, the same in the options and in a
// notice after a hot key.
std::string brightnessText(float brightness);  // "1.0"
std::string mouseSpeedText(float mouseSpeed);  // "100 %" of the game's own
std::string percentText(int percent);          // "80 %"

// The line over the title and end screens: the options key, and calm mode when it is on.
std::string screenNote(bool calm);
