#pragma once

// Where a menu's rows sit in the window, in window pixels from the top
// left: the drawing places them here and the mouse is read against the
// same numbers. No GL.
struct MenuLayout {
    float titleTop = 0.0f;   // the menu's name
    float titleSize = 0.0f;
    float top = 0.0f;        // the first row of each column
    float rowHeight = 0.0f;
    float textSize = 0.0f;   // letter height of a row
    float hintTop = 0.0f;    // the line of keys and messages under the rows
    float left = 0.0f;       // the first column's left edge
    float columnWidth = 0.0f;
    float valueAt = 0.5f;    // where a row's value starts, as a part of the column
    int rowsPerColumn = 1;   // rows after these go on in the next column
    int columns = 1;

    float rowLeft(int row) const;
    float rowTop(int row) const;
    // The slider's bar in a row: from its left to its right edge.
    float sliderLeft(int row) const;
    float sliderRight(int row) const;
    // The row under window pixel (x, y); -1 when none. Rows past `count` are none.
    int rowAt(double x, double y, int count) const;
};

// The options: two columns of rows.
MenuLayout optionsLayout(int width, int height, int rowsPerColumn);
// The pause menu: one short column in the middle.
MenuLayout pauseLayout(int width, int height, int rows);
