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

HudValues hudValues(const FrameView& view) {
    return {view.fear / 100.0f, view.energy / 100.0f, view.useKeyShown ? 1 : 0};
}
