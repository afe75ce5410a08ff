#include "render/Hud.h"

#include <algorithm>
#include <cmath>

#include <glm/common.hpp>

#include "render/FrameView.h"

glm::vec4 hudArea(const std::vector<unsigned char>& rgb, int width, int height) {
    const glm::vec4 everything(0.0f, 0.0f, 1.0f, 1.0f);
    if (width <= 0 || height <= 0 || rgb.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
        return everything;
    }
    // The meters' troughs, as "hud.frag" has them: filled even where the image is black.
    glm::vec4 area(0.0625f, 0.066667f, 0.2625f, 0.127778f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* texel = &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
            if (texel[0] == 0 && texel[1] == 0 && texel[2] == 0) continue;
            // The texel and one beyond it each way, which linear filtering can reach.
            area.x = std::min(area.x, static_cast<float>(x - 1) / static_cast<float>(width));
            area.y = std::min(area.y, static_cast<float>(y - 1) / static_cast<float>(height));
            area.z = std::max(area.z, static_cast<float>(x + 2) / static_cast<float>(width));
            area.w = std::max(area.w, static_cast<float>(y + 2) / static_cast<float>(height));
        }
    }
    return glm::clamp(area, glm::vec4(0.0f), glm::vec4(1.0f));
}

namespace {
bool ownCap(const FrameView& view) { return view.useKeyName == "E" || view.useKeyName.empty(); }
}  // namespace

HudValues hudValues(const FrameView& view) {
    return {view.fear / 100.0f, view.energy / 100.0f, view.useKeyShown && ownCap(view) ? 1 : 0};
}

UseKeyLabel useKeyLabel(const FrameView& view, int width, int height) {
    if (!view.useKeyShown || ownCap(view)) return {};
    // "hud.frag" lays the orbs out at 1280 x 720 from the bottom left: the
    // first at (356, 86.5), 18 apart, 6 in radius; the cap is 14 high.
    const float x = static_cast<float>(width) / 1280.0f, y = static_cast<float>(height) / 720.0f;
    const float slotLeft = 356.0f - 6.0f + 18.0f * static_cast<float>(view.pickupsHeld);
    return {view.useKeyName, slotLeft * x, static_cast<float>(height) - (86.5f + 7.0f) * y, 14.0f * y};
}
