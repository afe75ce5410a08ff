#include "render/TextRenderer.h"

#include <algorithm>
#include <utility>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "scene/CookedLevels.h"

namespace {

constexpr int atlasWidth = 1024;
constexpr int gap = 8;
constexpr char32_t replacementMark = 0xFFFD;
constexpr char32_t ellipsis = 0x2026;

// What the atlas holds, where the font has it: ASCII, Latin-1 and Latin
// Extended-A, Greek, Cyrillic, general punctuation, the euro sign and the
// replacement mark.
constexpr std::pair<char32_t, char32_t> atlasRanges[] = {
    {0x20, 0x7E}, {0xA0, 0x17F}, {0x370, 0x3FF}, {0x400, 0x4FF}, {0x2010, 0x205E}, {0x20AC, 0x20AC},
    {replacementMark, replacementMark}};

const char* const vertexSource = R"(#version 330 core
layout(location = 0) in vec4 corner;  // window position in -1..1, atlas uv
out vec2 uv;
void main() {
    uv = corner.zw;
    gl_Position = vec4(corner.xy, 0.0, 1.0);
})";

// A negative u marks the band behind the text.
const char* const fragmentSource = R"(#version 330 core
in vec2 uv;
uniform sampler2D glyphs;
uniform vec4 textColour;
uniform vec4 bandColour;
out vec4 colour;
void main() {
    if (uv.x < 0.0) {
        colour = bandColour;
    } else {
        colour = vec4(textColour.rgb, textColour.a * texture(glyphs, uv).r);
    }
})";

constexpr TextRenderer::Colour subtitleText{1.0f, 0.96f, 0.86f, 1.0f};
constexpr TextRenderer::Colour subtitleBand{0.0f, 0.0f, 0.0f, 0.62f};

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

struct FontFile {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FontFile() {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

float pixels26(FT_Pos value) { return static_cast<float>(value) / 64.0f; }

// The length of the sequence a lead byte starts and the smallest code point
// it may carry (anything below is an over-long form); 0 for no lead byte.
int sequenceLength(unsigned char lead, char32_t& smallest) {
    const struct {
        unsigned char low, high;
        int length;
        char32_t smallest;
    } leads[] = {{0x00, 0x7F, 1, 0}, {0xC2, 0xDF, 2, 0x80}, {0xE0, 0xEF, 3, 0x800}, {0xF0, 0xF4, 4, 0x10000}};
    for (const auto& l : leads) {
        if (lead < l.low || lead > l.high) continue;
        smallest = l.smallest;
        return l.length;
    }
    return 0;
}

}  // namespace

std::u32string decodeUtf8(const std::string& text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t smallest = 0;
        const int length = sequenceLength(lead, smallest);
        char32_t c = length == 1 ? lead : static_cast<char32_t>(lead & (0x7F >> length));
        bool whole = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            whole = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3Fu);
        }
        whole = whole && c >= smallest && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        out.push_back(whole ? c : replacementMark);
        i += whole ? static_cast<std::size_t>(length) : 1;
    }
    return out;
}

TextRenderer::TextRenderer(const std::string& fontFile, const std::string& cookedFolder) {
    FontFile font;
    if (FT_Init_FreeType(&font.library) != 0) return;
    if (FT_New_Face(font.library, fontFile.c_str(), 0, &font.face) != 0) return;
    if (FT_Set_Pixel_Sizes(font.face, 0, atlasPixels) != 0) return;
    ascender = pixels26(font.face->size->metrics.ascender);
    lineHeight = ascender - pixels26(font.face->size->metrics.descender);

    // Glyphs side by side in rows, far enough apart that the smaller
    // mipmaps a small window reads do not bleed one into the next.
    int x = gap;
    int y = gap;
    int rowHeight = 0;
    struct Placed {
        char32_t code;
        int x, y;
        std::vector<unsigned char> bitmap;
    };
    std::vector<Placed> placed;
    for (const auto& [first, last] : atlasRanges) {
        for (char32_t c = first; c <= last; ++c) {
            if (FT_Get_Char_Index(font.face, c) == 0) continue;  // not in this font
            if (FT_Load_Char(font.face, c, FT_LOAD_RENDER) != 0) continue;
            const FT_GlyphSlot slot = font.face->glyph;
            const int w = static_cast<int>(slot->bitmap.width);
            const int h = static_cast<int>(slot->bitmap.rows);
            if (x + w + gap > atlasWidth) {
                x = gap;
                y += rowHeight + gap;
                rowHeight = 0;
            }
            Placed p{c, x, y, std::vector<unsigned char>(static_cast<std::size_t>(w * h))};
            for (int row = 0; row < h; ++row)
                std::copy_n(slot->bitmap.buffer + row * slot->bitmap.pitch, w, p.bitmap.begin() + row * w);
            Glyph& g = glyphs[c];
            g.left = static_cast<float>(slot->bitmap_left);
            g.top = static_cast<float>(slot->bitmap_top);
            g.w = static_cast<float>(w);
            g.h = static_cast<float>(h);
            g.advance = pixels26(slot->advance.x);
            placed.push_back(std::move(p));
            x += w + gap;
            rowHeight = std::max(rowHeight, h);
        }
    }
    const int atlasHeight = y + rowHeight + gap;
    std::vector<unsigned char> image(static_cast<std::size_t>(atlasWidth * atlasHeight), 0);
    for (const Placed& p : placed) {
        Glyph& g = glyphs[p.code];
        const int w = static_cast<int>(g.w);
        for (int row = 0; row < static_cast<int>(g.h); ++row)
            std::copy_n(p.bitmap.begin() + row * w, w, image.begin() + (p.y + row) * atlasWidth + p.x);
        g.u0 = static_cast<float>(p.x) / atlasWidth;
        g.v0 = static_cast<float>(p.y) / static_cast<float>(atlasHeight);
        g.u1 = g.u0 + g.w / atlasWidth;
        g.v1 = g.v0 + g.h / static_cast<float>(atlasHeight);
    }
    const auto mark = glyphs.find(replacementMark);
    const auto question = glyphs.find(U'?');
    if (mark != glyphs.end()) replacement = mark->second;
    else if (question != glyphs.end()) replacement = question->second;

    glGenTextures(1, &atlas);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Kept by the glyphs' own pixels, so a new font or size is a new entry.
    const CookedKey key = cookedKey(image, glDriverName());
    const std::string cooked = cookedFolder.empty() ? "" : cookedPath(cookedFolder, fontFile + ".atlas", 1);
    CookedImage kept;
    if (!cooked.empty() && readCookedImage(cooked, key, kept) && kept.levels[0].pixels == image) {
        uploadLevels(kept, GL_R8, GL_RED);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, atlasWidth, atlasHeight, 0, GL_RED, GL_UNSIGNED_BYTE, image.data());
        glGenerateMipmap(GL_TEXTURE_2D);
        if (!cooked.empty()) writeCookedImage(cooked, key, readLevels(1, GL_RED));
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);

    program = glCreateProgram();
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        // A driver that cannot run these few lines gets no text, not a fault.
        glDeleteTextures(1, &atlas);
        atlas = 0;
    }

    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &vertexBuffer);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glBindVertexArray(0);
}

TextRenderer::~TextRenderer() {
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteProgram(program);
    glDeleteTextures(1, &atlas);
}

const TextRenderer::Glyph& TextRenderer::glyph(char32_t c) const {
    const auto found = glyphs.find(c);
    return found != glyphs.end() ? found->second : replacement;
}

float TextRenderer::width(const std::u32string& text) const {
    float w = 0.0f;
    for (const char32_t c : text) w += glyph(c).advance;
    return w;
}

float TextRenderer::width(const std::string& text) const { return width(decodeUtf8(text)); }

TextRenderer::Layout TextRenderer::layout(const std::vector<std::string>& lines, float size, int windowWidth) const {
    Layout out;
    if (lineHeight <= 0.0f) return out;
    out.scale = size / lineHeight;
    const float limit = 0.9f * static_cast<float>(windowWidth) / out.scale;  // atlas pixels a row may take
    for (const std::string& line : lines) {
        const std::u32string text = decodeUtf8(line);
        std::size_t start = 0;
        for (int rows = 0; rows < maxRowsPerLine && (start < text.size() || rows == 0); ++rows) {
            float w = 0.0f;
            std::size_t end = start;
            std::size_t space = std::u32string::npos;
            for (; end < text.size() && w + glyph(text[end]).advance <= limit; ++end) {
                if (text[end] == U' ') space = end;
                w += glyph(text[end]).advance;
            }
            // Wrap at the last space that fits; a word wider than a row is cut where it has to be.
            if (end < text.size() && text[end] != U' ' && space != std::u32string::npos && space > start) end = space;
            if (end == start && end < text.size()) ++end;
            out.rows.push_back(text.substr(start, end - start));
            start = end;
            while (start < text.size() && text[start] == U' ') ++start;
        }
        if (start >= text.size()) continue;
        std::u32string& last = out.rows.back();  // more than the rows hold: it ends in an ellipsis
        while (!last.empty() && width(last) + glyph(ellipsis).advance > limit) last.pop_back();
        last.push_back(ellipsis);
    }
    return out;
}

void TextRenderer::drawBottom(const std::vector<std::string>& lines, int windowWidth, int windowHeight, float scale) {
    if (!ok() || lines.empty() || windowWidth <= 0) return;
    const auto h = static_cast<float>(windowHeight);
    const float size = std::clamp(h / 20.0f, 14.0f, 64.0f) * scale;
    // The HUD's meters, orbs and use key fill the bottom left up to 0.34 of
    // the width and 0.14 of the height: a band wider than the middle between
    // them and their mirror on the right starts above them instead.
    float widest = 0.0f;
    const Layout rows = layout(lines, size, windowWidth);
    for (const std::u32string& row : rows.rows) widest = std::max(widest, width(row) * rows.scale);
    // (The band reaches a quarter of a row below the lowest row.)
    const float raised = h * 0.14f + size * 0.25f;
    const float bottom = widest + size * 0.5f > 0.32f * static_cast<float>(windowWidth) ? raised : h * 0.06f;
    drawLines(rows, bottom, windowWidth, windowHeight);
}

void TextRenderer::drawCentre(const std::string& text, int windowWidth, int windowHeight) {
    const float size = std::clamp(static_cast<float>(windowHeight) / 9.0f, 12.0f, 128.0f);
    drawLines(layout({text}, size, windowWidth), (static_cast<float>(windowHeight) - size) / 2.0f, windowWidth,
              windowHeight);
}

void TextRenderer::drawLines(const Layout& rows, float bottom, int windowWidth, int windowHeight) {
    if (!ok() || rows.rows.empty() || windowWidth <= 0 || windowHeight <= 0) return;
    const auto W = static_cast<float>(windowWidth);
    const auto H = static_cast<float>(windowHeight);
    float widest = 1.0f;
    for (const std::u32string& row : rows.rows) widest = std::max(widest, width(row));
    const float scale = rows.scale;
    const float pad = lineHeight * scale * 0.25f;
    const float lineStep = lineHeight * scale;

    std::vector<float> corners;
    const auto quad = [&](float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1) {
        const float nx0 = 2 * x0 / W - 1, nx1 = 2 * x1 / W - 1, ny0 = 2 * y0 / H - 1, ny1 = 2 * y1 / H - 1;
        const float c[24] = {nx0, ny0, u0, v1, nx1, ny0, u1, v1, nx1, ny1, u1, v0,
                             nx0, ny0, u0, v1, nx1, ny1, u1, v0, nx0, ny1, u0, v0};
        corners.insert(corners.end(), c, c + 24);
    };
    const std::size_t count = rows.rows.size();
    const float bandHalf = widest * scale / 2 + pad;
    quad(W / 2 - bandHalf, bottom - pad, W / 2 + bandHalf, bottom + lineStep * static_cast<float>(count) + pad, -1,
         0, -1, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const std::u32string& row = rows.rows[i];
        const float baseline = bottom + lineStep * static_cast<float>(count - 1 - i) + lineStep - ascender * scale;
        float pen = W / 2 - width(row) * scale / 2;
        for (const char32_t c : row) {
            const Glyph& g = glyph(c);
            const float x0 = pen + g.left * scale;
            const float top = baseline + g.top * scale;
            if (g.w > 0) quad(x0, top - g.h * scale, x0 + g.w * scale, top, g.u0, g.v0, g.u1, g.v1);
            pen += g.advance * scale;
        }
    }

    submit(corners, subtitleText, subtitleBand);
}

void TextRenderer::drawText(const std::string& text, float x, float top, float size, const Colour& colour, Align align,
                            int windowWidth, int windowHeight) {
    if (!ok() || text.empty() || windowWidth <= 0 || windowHeight <= 0) return;
    const auto W = static_cast<float>(windowWidth);
    const auto H = static_cast<float>(windowHeight);
    const float scale = size / lineHeight;
    const float wide = width(text) * scale;
    float pen = align == Align::Left ? x : align == Align::Centre ? x - wide / 2 : x - wide;
    const float baseline = H - top - ascender * scale;
    std::vector<float> corners;
    for (const char32_t c : decodeUtf8(text)) {
        const Glyph& g = glyph(c);
        const float x0 = pen + g.left * scale;
        const float glyphTop = baseline + g.top * scale;
        if (g.w > 0) {
            const float gx0 = 2 * x0 / W - 1, gx1 = 2 * (x0 + g.w * scale) / W - 1;
            const float gy0 = 2 * (glyphTop - g.h * scale) / H - 1, gy1 = 2 * glyphTop / H - 1;
            const float q[24] = {gx0, gy0, g.u0, g.v1, gx1, gy0, g.u1, g.v1, gx1, gy1, g.u1, g.v0,
                                 gx0, gy0, g.u0, g.v1, gx1, gy1, g.u1, g.v0, gx0, gy1, g.u0, g.v0};
            corners.insert(corners.end(), q, q + 24);
        }
        pen += g.advance * scale;
    }
    submit(corners, colour, colour);
}

void TextRenderer::drawBox(float left, float top, float right, float bottom, const Colour& colour, int windowWidth,
                           int windowHeight) {
    if (!ok() || windowWidth <= 0 || windowHeight <= 0) return;
    const auto W = static_cast<float>(windowWidth);
    const auto H = static_cast<float>(windowHeight);
    const float x0 = 2 * left / W - 1, x1 = 2 * right / W - 1, y0 = 1 - 2 * bottom / H, y1 = 1 - 2 * top / H;
    const std::vector<float> corners = {x0, y0, -1, 0, x1, y0, -1, 0, x1, y1, -1, 0,
                                        x0, y0, -1, 0, x1, y1, -1, 0, x0, y1, -1, 0};
    submit(corners, colour, colour);
}

void TextRenderer::submit(const std::vector<float>& corners, const Colour& text, const Colour& band) {
    if (corners.empty()) return;
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean blend = glIsEnabled(GL_BLEND);
    const GLboolean cull = glIsEnabled(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glUseProgram(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glUniform1i(glGetUniformLocation(program, "glyphs"), 0);
    glUniform4f(glGetUniformLocation(program, "textColour"), text.r, text.g, text.b, text.a);
    glUniform4f(glGetUniformLocation(program, "bandColour"), band.r, band.g, band.b, band.a);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(float)), corners.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners.size() / 4));
    glBindVertexArray(0);
    if (!blend) glDisable(GL_BLEND);
    if (depthTest) glEnable(GL_DEPTH_TEST);
    if (cull) glEnable(GL_CULL_FACE);
}
