#include "app/RenderScaleControl.h"

#include <algorithm>
#include <cmath>

#include "render/ScreenBounds.h"

namespace {

// Weight of the newest frame in the smoothed time.
constexpr double smoothing = 0.1;
// Within this share of the budget the scale is left alone.
constexpr double band = 0.08;

}  // namespace

RenderScaleControl::RenderScaleControl(float fixedScale, int targetFps)
    : current(std::clamp(fixedScale, minRenderScale, maxRenderScale)),
      budgetMs(targetFps > 0 ? headroom * 1000.0 / targetFps : 0.0) {}

void RenderScaleControl::frameTook(double ms) {
    if (budgetMs <= 0.0 || !std::isfinite(ms) || ms <= 0.0) return;
    // A frame held up by something else (a stall, a window switch) counts
    // no more than four budgets.
    const double heard = std::min(ms, 4.0 * budgetMs);
    smoothedMs = smoothedMs <= 0.0 ? heard : smoothedMs + smoothing * (heard - smoothedMs);
    const double ratio = smoothedMs / budgetMs;
    if (std::abs(ratio - 1.0) < band) return;
    // The pixels drawn go with the square of the scale.
    const float wanted = current * static_cast<float>(std::sqrt(1.0 / ratio));
    current = std::clamp(std::clamp(wanted, current - maxStep, current + maxStep), minRenderScale, maxRenderScale);
}
