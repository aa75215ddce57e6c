// Bitmap fonts: glyph rectangles on one or more page images, looked up by
// character code. Three loaders: a strip of equal cells, a grid of cells with
// explicit geometry, and a text font description that names its page
// images. DrawText places each glyph at the pen plus its offsets and moves
// the pen by its advance; there is no kerning.
#pragma once

#include "graphics/image.h"
#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/map.h"
#include "runtime/string.h"

struct c_Glyph : Object {
    int page = 0;
    int id = 0;
    int x = 0, y = 0;
    int width = 0, height = 0;
    int xadvance = 0;
    int xoffset = 0, yoffset = 0;

    c_Glyph() {}
    c_Glyph(int gpage, int gid, int gx, int gy, int gwidth, int gheight, int gxadvance)
        : page(gpage), id(gid), x(gx), y(gy), width(gwidth), height(gheight), xadvance(gxadvance) {}
};

using c_Node = c_NodeOf<c_Glyph>;
using c_Map = c_MapOf<c_Glyph>;
using c_IntMap = c_IntMapOf<c_Glyph>;

struct c_Font : Object {
    Array<c_Image*> pages;  // an entry is null when its image failed to load
    int pageCount = 0;
    int firstChar = 0;      // -1 for a font read from a description
    float height = 0;
    c_IntMap* glyphs;

    c_Font();
    c_Font* Init(Array<c_Image*> pages, int page_count, c_IntMap* glyphs, int first_char, float height);
    void mark() override;

    c_Glyph* GetGlyph(int code) { return glyphs->Get(code); }
    // Sum of the advances of the characters that have a glyph.
    float TextWidth(String text);
    float Height() { return height; }
};

// A strip of numChars equal cells; padded cells have a one-pixel border that
// is neither drawn nor advanced over. Null when the image does not load or
// cannot hold numChars cells.
c_Font* LoadFont(String path, int first_char, int num_chars, bool padded);
// Cells of cellWidth x cellHeight left to right, top to bottom, each glyph at
// (glyphX, glyphY) in its cell. Null when the image does not load or is
// narrower than one cell.
c_Font* LoadFont(String path, int cell_width, int cell_height, int glyph_x, int glyph_y, int glyph_width,
                 int glyph_height, int first_char, int num_chars);
// A text font description ("common", "page" and "char" lines). Never null.
c_Font* LoadFont(String path, int flags);

// Makes font current; null selects the default font, loading it on first need.
int SetFont(c_Font* font);
// Draws text with the current font; xalign and yalign are fractions of the
// text's width and the font's height (0 left/top, 0.5 centre, 1 right/bottom).
int DrawText(String text, int x, int y, float xalign, float yalign);
// Draws lines one font height apart; yalign applies to the whole block, and
// each line is aligned horizontally on its own.
int DrawText(Array<String> lines, int x, int y, float xalign, float yalign);
