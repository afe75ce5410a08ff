#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <GL/glew.h>

// The code points of UTF-8 text; each byte that does not belong to a
// well-formed sequence becomes U+FFFD.
std::u32string decodeUtf8(const std::string& text);

// Lines of text over the finished frame: subtitles at the bottom centre and a
// word in the middle, each on a dim band so they read over any scene. The
// glyphs of one font (Latin, Greek, Cyrillic and the usual punctuation, as
// far as the font has them) are drawn once into an atlas at start-up; a
// window of any size scales them. Text is UTF-8; a character the atlas lacks
// shows as a replacement mark. Needs a current GL context.
class TextRenderer {
public:
    // A font that cannot be read leaves the renderer empty: ok() is false
    // and drawing does nothing. With a cookedFolder the atlas's mipmap levels
    // are kept there, as Texture::load keeps an image's.
    explicit TextRenderer(const std::string& fontFile, const std::string& cookedFolder = {});
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    bool ok() const { return atlas != 0; }

    struct Colour {
        float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
    };
    enum class Align { Left, Centre, Right };

    // Width of `text` in atlas pixels, and drawn `size` pixels high.
    float width(const std::string& text) const;
    float width(const std::u32string& text) const;
    bool hasGlyph(char32_t c) const { return glyphs.count(c) != 0; }

    // Rows to draw: letters `size` window pixels high, each line wrapped at
    // spaces to 0.9 of the window's width, and cut after maxRowsPerLine rows
    // with an ellipsis, so a long line stays readable.
    struct Layout {
        std::vector<std::u32string> rows;
        float scale = 1.0f;  // window pixels per atlas pixel
    };
    Layout layout(const std::vector<std::string>& lines, float size, int windowWidth) const;
    static constexpr int maxRowsPerLine = 3;
    // Bottom centre, one line above another, the last line lowest.
    float width(const std::string& text, float size) const { return width(text) * size / lineHeight; }
    // Bottom centre, one line above another, the last line lowest; scale
    // multiplies the usual letter height.
    void drawBottom(const std::vector<std::string>& lines, int windowWidth, int windowHeight, float scale = 1.0f);
    // One line in the middle of the window.
    void drawCentre(const std::string& text, int windowWidth, int windowHeight);
    // One line, `size` window pixels high, its top `top` pixels below the
    // window's top and starting, centred on or ending at x.
    void drawText(const std::string& text, float x, float top, float size, const Colour& colour, Align align,
                  int windowWidth, int windowHeight);
    // A plain rectangle, window pixels from the top left.
    void drawBox(float left, float top, float right, float bottom, const Colour& colour, int windowWidth,
                 int windowHeight);

    static constexpr int atlasPixels = 48;  // glyph height the atlas is drawn at

private:
    struct Glyph {
        float u0 = 0, v0 = 0, u1 = 0, v1 = 0;  // in the atlas
        float left = 0, top = 0;               // bearing, pixels
        float w = 0, h = 0, advance = 0;       // pixels
    };
    // Laid-out rows stacked upwards from `bottom` window pixels, the last lowest.
    void drawLines(const Layout& rows, float bottom, int windowWidth, int windowHeight);
    const Glyph& glyph(char32_t c) const;
    // Draws the quads of `corners`: glyphs in `text`, bands in `band`.
    void submit(const std::vector<float>& corners, const Colour& text, const Colour& band);

    std::unordered_map<char32_t, Glyph> glyphs;
    Glyph replacement;  // for what the atlas lacks
    float lineHeight = 0.0f;
    float ascender = 0.0f;
    GLuint atlas = 0;
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
};
