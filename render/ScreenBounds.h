#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>

struct WorldBox;

// A rectangle of pixels from the lower left corner.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    bool covers(int viewWidth, int viewHeight) const {
        return x <= 0 && y <= 0 && x + width >= viewWidth && y + height >= viewHeight;
    }
};

// The part two rectangles share; empty when they do not meet.
PixelRect overlap(const PixelRect& a, const PixelRect& b);
// The smallest rectangle holding both; an empty one adds nothing.
PixelRect unite(const PixelRect& a, const PixelRect& b);
// Grown by dx pixels left and right and dy up and down (an empty one stays empty).
PixelRect grown(const PixelRect& r, int dx, int dy);

// Lowest and highest render scale; the 3-D passes draw at scale x the window.
inline constexpr float minRenderScale = 0.5f;
inline constexpr float maxRenderScale = 1.0f;
// The pixels the 3-D passes draw for a window of width x height at `scale`
// (kept within the range above; not a number draws at full size): the
// window's own size at 1, never less than one pixel.
PixelRect scaledView(int width, int height, float scale);

// The pixels of a width x height view whose centres may lie in the
// normalised-device bounds low..high, with one pixel to spare; none when the
// bounds lie wholly beside the view.
PixelRect pixelsOf(glm::vec2 low, glm::vec2 high, int width, int height);

// Where a world box can show in a width x height view: the picture of the
// part in front of the camera's near plane; nowhere when there is none.
PixelRect boxOnScreen(const WorldBox& box, const glm::mat4& viewProjection, int width, int height);
