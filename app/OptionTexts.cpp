#include "app/OptionTexts.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr float ownMouseSpeed = 0.002f;  // CONFIG.txt as shipped

}  // namespace

std::string brightnessText(float brightness) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(brightness));
    return text;
}

std::string mouseSpeedText(float mouseSpeed) {
    return percentText(static_cast<int>(std::lround(mouseSpeed / ownMouseSpeed * 100.0f)));
}

std::string percentText(int percent) { return std::to_string(percent) + " %"; }

std::string screenNote(bool calm) {
    // New players raise the brightness to read the rooms: say how from the start.
    const std::string keys = "F6 / F7: darker / brighter   O: options";
    return calm ? "Calm mode: fear rises at half its rate   " + keys : keys;
}
