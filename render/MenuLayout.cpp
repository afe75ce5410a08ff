#include "render/MenuLayout.h"

#include <algorithm>
#include <cmath>

float MenuLayout::rowLeft(int row) const {
    return left + columnWidth * static_cast<float>(row / rowsPerColumn);
}

float MenuLayout::rowTop(int row) const { return top + rowHeight * static_cast<float>(row % rowsPerColumn); }

float MenuLayout::sliderLeft(int row) const { return rowLeft(row) + columnWidth * valueAt; }

float MenuLayout::sliderRight(int row) const { return rowLeft(row) + columnWidth * 0.78f; }

int MenuLayout::rowAt(double x, double y, int count) const {
    const double across = (x - left) / columnWidth;
    const double down = (y - top) / rowHeight;
    if (!(across >= 0.0 && down >= 0.0)) return -1;
    const int column = static_cast<int>(across);
    const int row = static_cast<int>(down);
    if (column >= columns || row >= rowsPerColumn) return -1;
    const int index = column * rowsPerColumn + row;
    return index < count ? index : -1;
}

MenuLayout optionsLayout(int width, int height, int rowsPerColumn) {
    const auto w = static_cast<float>(std::max(width, 1));
    const auto h = static_cast<float>(std::max(height, 1));
    MenuLayout layout;
    layout.rowsPerColumn = std::max(rowsPerColumn, 1);
    layout.columns = 2;
    const float panel = std::min(w * 0.94f, h * 1.9f);
    layout.left = (w - panel) / 2.0f;
    layout.columnWidth = panel / 2.0f;
    layout.titleSize = h * 0.07f;
    layout.titleTop = h * 0.04f;
    layout.top = h * 0.14f;
    layout.rowHeight = std::min(h * 0.74f / static_cast<float>(layout.rowsPerColumn), h * 0.06f);
    layout.textSize = layout.rowHeight * 0.62f;
    layout.hintTop = layout.top + layout.rowHeight * static_cast<float>(layout.rowsPerColumn) + h * 0.02f;
    layout.valueAt = 0.46f;
    return layout;
}

MenuLayout pauseLayout(int width, int height, int rows) {
    const auto w = static_cast<float>(std::max(width, 1));
    const auto h = static_cast<float>(std::max(height, 1));
    MenuLayout layout;
    layout.rowsPerColumn = std::max(rows, 1);
    layout.rowHeight = h * 0.085f;
    layout.textSize = layout.rowHeight * 0.6f;
    layout.columnWidth = std::min(w * 0.8f, h * 0.7f);
    layout.left = (w - layout.columnWidth) / 2.0f;
    const float block = layout.rowHeight * static_cast<float>(layout.rowsPerColumn);
    layout.titleSize = h * 0.11f;
    layout.top = (h - block) / 2.0f + h * 0.05f;
    layout.titleTop = layout.top - layout.titleSize * 1.4f;
    layout.hintTop = layout.top + block + h * 0.03f;
    return layout;
}
