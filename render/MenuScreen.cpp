#include "render/MenuScreen.h"

#include <algorithm>
#include <cmath>

#include "render/Hud.h"
#include "render/MenuLayout.h"
#include "render/TextRenderer.h"

namespace {

using Colour = TextRenderer::Colour;
using Align = TextRenderer::Align;

constexpr Colour dim{0.0f, 0.0f, 0.0f, 0.6f};
constexpr Colour darker{0.0f, 0.0f, 0.0f, 0.85f};  // the options: many small words
constexpr Colour band{0.0f, 0.0f, 0.0f, 0.62f};
constexpr Colour words{0.80f, 0.77f, 0.70f, 1.0f};
constexpr Colour chosenWords{1.0f, 0.96f, 0.86f, 1.0f};
constexpr Colour highlight{0.55f, 0.32f, 0.12f, 0.55f};
constexpr Colour trough{0.25f, 0.24f, 0.22f, 1.0f};
constexpr Colour fillColour{0.85f, 0.80f, 0.68f, 1.0f};
constexpr Colour hintColour{0.70f, 0.68f, 0.62f, 1.0f};

// A line of text on its own dark band.
void bandedLine(TextRenderer& text, const std::string& line, float top, float size, int width, int height) {
    const float w = static_cast<float>(width);
    const float wide = std::min(text.width(line, size), w);
    text.drawBox((w - wide) / 2 - size * 0.4f, top - size * 0.2f, (w + wide) / 2 + size * 0.4f, top + size * 1.2f,
                 band, width, height);
    text.drawText(line, w / 2, top, size, chosenWords, Align::Centre, width, height);
}

// A black box with a dark grey square inside that the screen's brightness
// curve lifts: at the right brightness it is only just visible.
void calibration(TextRenderer& text, float left, float top, float size, float brightness, int width, int height) {
    const float level = std::pow(0.035f, 1.0f / std::max(brightness, 0.1f));
    const float rim = std::max(1.0f, size * 0.06f);
    text.drawBox(left - rim, top - rim, left + size + rim, top + size + rim, trough, width, height);
    text.drawBox(left, top, left + size, top + size, Colour{0.0f, 0.0f, 0.0f, 1.0f}, width, height);
    const float inset = size * 0.28f;
    text.drawBox(left + inset, top + inset, left + size - inset, top + size - inset, Colour{level, level, level, 1.0f},
                 width, height);
}

// The pointer: a small light square with a dark rim at the cursor.
void pointer(TextRenderer& text, float x, float y, float size, int width, int height) {
    text.drawBox(x - 1, y - 1, x + size + 1, y + size + 1, Colour{0.0f, 0.0f, 0.0f, 1.0f}, width, height);
    text.drawBox(x, y, x + size, y + size, chosenWords, width, height);
}

void drawOptions(TextRenderer& text, const MenuView& menu, float brightness, int width, int height) {
    const MenuLayout layout = optionsLayout(width, height, menu.rowsPerColumn);
    const float pad = layout.rowHeight * 0.3f;
    for (int i = 0; i < static_cast<int>(menu.rows.size()); ++i) {
        const MenuRow& row = menu.rows[static_cast<std::size_t>(i)];
        const float left = layout.rowLeft(i);
        const float top = layout.rowTop(i);
        const float textTop = top + (layout.rowHeight - layout.textSize) / 2;
        const bool chosen = i == menu.selected;
        if (chosen)
            text.drawBox(left, top, left + layout.columnWidth - pad, top + layout.rowHeight, highlight, width, height);
        const Colour& colour = chosen ? chosenWords : words;
        text.drawText(row.label, left + pad, textTop, layout.textSize, colour, Align::Left, width, height);
        float valueLeft = layout.sliderLeft(i);
        if (row.fill >= 0.0f) {
            const float barLeft = layout.sliderLeft(i);
            const float barRight = layout.sliderRight(i);
            const float middle = top + layout.rowHeight / 2;
            const float half = layout.rowHeight * 0.12f;
            text.drawBox(barLeft, middle - half, barRight, middle + half, trough, width, height);
            text.drawBox(barLeft, middle - half, barLeft + (barRight - barLeft) * std::clamp(row.fill, 0.0f, 1.0f),
                         middle + half, fillColour, width, height);
            valueLeft = barRight + pad;
        }
        text.drawText(row.value, valueLeft, textTop, layout.textSize, colour, Align::Left, width, height);
        if (row.calibration) {
            const float size = layout.rowHeight * 0.9f;
            calibration(text, left + layout.columnWidth - pad - size * 1.1f, top + layout.rowHeight * 0.05f, size,
                        brightness, width, height);
        }
    }
    text.drawText(menu.title, static_cast<float>(width) / 2, layout.titleTop, layout.titleSize, chosenWords,
                  Align::Centre, width, height);
    text.drawText(menu.hint, static_cast<float>(width) / 2, layout.hintTop, layout.textSize * 0.95f, hintColour,
                  Align::Centre, width, height);
}

void drawPause(TextRenderer& text, const MenuView& menu, int width, int height) {
    const MenuLayout layout = pauseLayout(width, height, menu.rowsPerColumn);
    const float middle = static_cast<float>(width) / 2;
    text.drawText(menu.title, middle, layout.titleTop, layout.titleSize, chosenWords, Align::Centre, width, height);
    for (int i = 0; i < static_cast<int>(menu.rows.size()); ++i) {
        const float top = layout.rowTop(i);
        const bool chosen = i == menu.selected;
        if (chosen)
            text.drawBox(layout.left, top, layout.left + layout.columnWidth, top + layout.rowHeight, highlight, width,
                         height);
        text.drawText(menu.rows[static_cast<std::size_t>(i)].label, middle,
                      top + (layout.rowHeight - layout.textSize) / 2, layout.textSize, chosen ? chosenWords : words,
                      Align::Centre, width, height);
    }
    text.drawText(menu.hint, middle, layout.hintTop, layout.textSize * 0.6f, hintColour, Align::Centre, width, height);
}

}  // namespace

void drawMenu(TextRenderer& text, const MenuView& menu, float brightness, int width, int height) {
    if (menu.kind == MenuView::Kind::None || !text.ok()) return;
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    text.drawBox(0.0f, 0.0f, w, h, menu.kind == MenuView::Kind::Options ? darker : dim, width, height);
    if (menu.kind == MenuView::Kind::Options) {
        drawOptions(text, menu, brightness, width, height);
    } else {
        drawPause(text, menu, width, height);
    }
    if (menu.pointer) pointer(text, menu.pointerX, menu.pointerY, std::max(6.0f, h * 0.015f), width, height);
}

void drawNotice(TextRenderer& text, const std::string& notice, int width, int height) {
    if (notice.empty()) return;
    bandedLine(text, notice, static_cast<float>(height) * 0.05f, std::clamp(static_cast<float>(height) / 22.0f, 12.0f, 60.0f),
               width, height);
}

void drawScreenNote(TextRenderer& text, const std::string& note, int width, int height) {
    if (note.empty()) return;
    bandedLine(text, note, static_cast<float>(height) * 0.015f, std::clamp(static_cast<float>(height) / 28.0f, 11.0f, 48.0f),
               width, height);
}

void drawUseKeyLabel(TextRenderer& text, const UseKeyLabel& label, int width, int height) {
    if (label.name.empty()) return;
    // The colours of the HUD's own cap: a thin pale edge, a dark top, pale letters.
    const float ring = std::max(1.0f, label.size * 0.08f), letters = label.size * 0.8f;
    const float right = label.left + text.width(label.name, letters) + 6.0f * ring;
    text.drawBox(label.left, label.top, right, label.top + label.size, Colour{0.55f, 0.52f, 0.45f, 1.0f}, width, height);
    text.drawBox(label.left + ring, label.top + ring, right - ring, label.top + label.size - ring,
                 Colour{0.14f, 0.12f, 0.09f, 1.0f}, width, height);
    text.drawText(label.name, label.left + 3.0f * ring, label.top + label.size * 0.1f, letters,
                  Colour{1.0f, 0.95f, 0.7f, 1.0f}, Align::Left, width, height);
}
