// Draws nothing: where boxes and cones fall on screen, in pixels.
#include "render/ScreenBounds.h"

#include <algorithm>
#include <cmath>

#include <glm/common.hpp>
#include <glm/vec4.hpp>

#include "render/LightReach.h"

PixelRect overlap(const PixelRect& a, const PixelRect& b) {
    const int x0 = std::max(a.x, b.x);
    const int y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width);
    const int y1 = std::min(a.y + a.height, b.y + b.height);
    return PixelRect{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

PixelRect unite(const PixelRect& a, const PixelRect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int x0 = std::min(a.x, b.x);
    const int y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.width, b.x + b.width);
    const int y1 = std::max(a.y + a.height, b.y + b.height);
    return PixelRect{x0, y0, x1 - x0, y1 - y0};
}

PixelRect grown(const PixelRect& r, int dx, int dy) {
    if (r.empty()) return r;
    return PixelRect{r.x - dx, r.y - dy, r.width + 2 * dx, r.height + 2 * dy};
}

PixelRect pixelsOf(glm::vec2 low, glm::vec2 high, int width, int height) {
    const PixelRect whole{0, 0, width, height};
    if (!(low.x <= high.x) || !(low.y <= high.y)) return whole;  // also catches NaN
    if (low.x > 1.0f || high.x < -1.0f || low.y > 1.0f || high.y < -1.0f) return PixelRect{};  // beside the view
    low = glm::clamp(low, glm::vec2(-1.0f), glm::vec2(1.0f));
    high = glm::clamp(high, glm::vec2(-1.0f), glm::vec2(1.0f));
    const auto pixel = [](float ndc, int size) { return (ndc * 0.5f + 0.5f) * static_cast<float>(size); };
    const int x0 = static_cast<int>(std::floor(pixel(low.x, width))) - 1;
    const int y0 = static_cast<int>(std::floor(pixel(low.y, height))) - 1;
    const int x1 = static_cast<int>(std::ceil(pixel(high.x, width))) + 1;
    const int y1 = static_cast<int>(std::ceil(pixel(high.y, height))) + 1;
    return overlap(whole, PixelRect{x0, y0, x1 - x0, y1 - y0});
}

PixelRect boxOnScreen(const WorldBox& box, const glm::mat4& viewProjection, int width, int height) {
    if (box.empty()) return PixelRect{};
    glm::vec4 clip[8];
    bool inFront[8];
    int behind = 0;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p((corner & 1) ? box.max.x : box.min.x, (corner & 2) ? box.max.y : box.min.y,
                          (corner & 4) ? box.max.z : box.min.z);
        clip[corner] = viewProjection * glm::vec4(p, 1.0f);
        const float ahead = clip[corner].z + clip[corner].w;  // > 0 in front of the near plane
        if (!(ahead == ahead)) return PixelRect{0, 0, width, height};  // not a number
        inFront[corner] = ahead > 0.0f;
        behind += inFront[corner] ? 0 : 1;
    }
    if (behind == 8) return PixelRect{};  // wholly behind the camera
    // What shows is the box cut by the near plane: its corners in front and
    // the points where its edges cross the plane.
    glm::vec2 low(1e30f);
    glm::vec2 high(-1e30f);
    const auto add = [&](const glm::vec4& c) {
        low = glm::min(low, glm::vec2(c) / c.w);
        high = glm::max(high, glm::vec2(c) / c.w);
    };
    for (int corner = 0; corner < 8; ++corner) {
        if (inFront[corner]) add(clip[corner]);
        for (const int bit : {1, 2, 4}) {
            const int other = corner | bit;
            if (other == corner || inFront[corner] == inFront[other]) continue;
            const float a = clip[corner].z + clip[corner].w;
            const float b = clip[other].z + clip[other].w;
            add(clip[corner] + (a / (a - b)) * (clip[other] - clip[corner]));
        }
    }
    return pixelsOf(low, high, width, height);
}

PixelRect scaledView(int width, int height, float scale) {
    const float s = std::isnan(scale) ? maxRenderScale : std::clamp(scale, minRenderScale, maxRenderScale);
    if (s >= maxRenderScale) return PixelRect{0, 0, width, height};
    const auto part = [s](int size) {
        return std::max(1, static_cast<int>(std::lround(static_cast<double>(size) * static_cast<double>(s))));
    };
    return PixelRect{0, 0, part(width), part(height)};
}
