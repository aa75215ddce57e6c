// Font loaders, text measuring and text drawing.
#include "graphics/font.h"

#include "graphics/graphics_context.h"
#include "graphics/host_link.h"

c_Font::c_Font() : glyphs(nullptr) { gc_assign(glyphs, gc_new<c_IntMap>()); }

c_Font* c_Font::Init(Array<c_Image*> p, int count, c_IntMap* g, int first, float h) {
    gc_mark_now(p.Body());
    pages = p;
    pageCount = count;
    gc_assign(glyphs, g);
    firstChar = first;
    height = h;
    return this;
}

void c_Font::mark() {
    gc_shade(pages.Body());
    gc_shade(glyphs);
}

float c_Font::TextWidth(String text) {
    float w = 0;
    for (int i = 0; i < text.Length(); ++i)
        if (c_Glyph* g = glyphs->Get(text[i])) w += static_cast<float>(g->xadvance);
    return w;
}

namespace {

c_Font* SinglePageFont(c_Image* image, c_IntMap* glyphs, int first_char, float height) {
    Array<c_Image*> pages(1);
    pages.Set(0, image);
    return gc_new<c_Font>()->Init(pages, 1, glyphs, first_char, height);
}

}  // namespace

c_Font* LoadFont(String path, int first_char, int num_chars, bool padded) {
    c_Image* image = LoadImage(path, defaultFlags);
    if (!image) return nullptr;
    // Fewer than one cell, or cells narrower than a pixel, have no layout.
    if (num_chars < 1 || image->width < num_chars) return nullptr;
    int cell_w = image->width / num_chars;
    int glyph_w = padded ? cell_w - 2 : cell_w;
    int glyph_h = padded ? image->height - 2 : image->height;
    int cols = image->width / cell_w;
    int pad = padded ? 1 : 0;
    c_IntMap* glyphs = gc_new<c_IntMap>();
    for (int i = 0; i < num_chars; ++i) {
        int row = i / cols, col = i % cols;
        glyphs->Add(first_char + i, gc_new<c_Glyph>(0, first_char + i, col * cell_w + pad, row * image->height + pad,
                                                   glyph_w, glyph_h, glyph_w));
    }
    return SinglePageFont(image, glyphs, first_char, static_cast<float>(glyph_h));
}

c_Font* LoadFont(String path, int cell_width, int cell_height, int glyph_x, int glyph_y, int glyph_width,
                 int glyph_height, int first_char, int num_chars) {
    c_Image* image = LoadImage(path, defaultFlags);
    if (!image) return nullptr;
    if (cell_width < 1 || image->width < cell_width) return nullptr;
    int cols = image->width / cell_width;
    c_IntMap* glyphs = gc_new<c_IntMap>();
    for (int i = 0; i < num_chars; ++i) {
        int row = i / cols, col = i % cols;
        glyphs->Add(first_char + i, gc_new<c_Glyph>(0, first_char + i, glyph_x + col * cell_width,
                                                   glyph_y + row * cell_height, glyph_width, glyph_height,
                                                   glyph_width));
    }
    return SinglePageFont(image, glyphs, first_char, static_cast<float>(glyph_height));
}

// ---- text font descriptions ---------------------------------------------------

namespace {

// The integer after the first "=" of a "key=value" piece.
int ValueOf(const String& piece) { return piece.Slice(piece.Find(String("=")) + 1).Trim().ToInt(); }

struct DescriptionReader {
    String dir;
    int flags;
    Array<c_Image*> pages;
    int pageCount = 0;
    int next_page = 0;
    int line_height = 0;
    int line_count = 0;
    c_IntMap* glyphs;

    void Common(const String& line) {
        Array<String> pieces = line.Split(String(" "));
        for (int i = 0; i < pieces.Length(); ++i) {
            String piece = pieces[i];
            if (piece.StartsWith(String("lineHeight="))) line_height = ValueOf(piece);
            if (piece.StartsWith(String("pages="))) {
                // A negative count would size nothing; it means no pages.
                // Every page needs a line of its own, so a count beyond the
                // description's lines is cut there rather than sized blindly.
                pageCount = ValueOf(piece);
                if (pageCount < 0) pageCount = 0;
                if (pageCount > line_count) pageCount = line_count;
                pages = Array<c_Image*>(pageCount);
            }
        }
    }

    // Page images fill the array in the order their lines appear; lines
    // beyond the size "pages=" gave have nowhere to go and are ignored.
    void Page(const String& line) {
        Array<String> pieces = line.Split(String(" "));
        for (int i = 0; i < pieces.Length(); ++i) {
            String piece = pieces[i];
            if (!piece.StartsWith(String("file="))) continue;
            String name = piece.Slice(piece.Find(String("=")) + 1).Trim();
            if (name.Length() > 0 && name[0] == '"') name = name.Slice(1, name.Length() - 1);
            name = name.Trim();
            int index = next_page++;
            if (index >= pages.Length()) continue;
            pages.Set(index, LoadImage(dir + name, flags));
        }
    }

    void Char(const String& line) {
        c_Glyph* glyph = gc_new<c_Glyph>();
        Array<String> pieces = line.Split(String(" "));
        for (int i = 0; i < pieces.Length(); ++i) {
            String piece = pieces[i];
            if (piece.StartsWith(String("id="))) glyph->id = ValueOf(piece);
            if (piece.StartsWith(String("x="))) glyph->x = ValueOf(piece);
            if (piece.StartsWith(String("y="))) glyph->y = ValueOf(piece);
            if (piece.StartsWith(String("width="))) glyph->width = ValueOf(piece);
            if (piece.StartsWith(String("height="))) glyph->height = ValueOf(piece);
            if (piece.StartsWith(String("xoffset="))) glyph->xoffset = ValueOf(piece);
            if (piece.StartsWith(String("yoffset="))) glyph->yoffset = ValueOf(piece);
            if (piece.StartsWith(String("xadvance="))) glyph->xadvance = ValueOf(piece);
            if (piece.StartsWith(String("page="))) glyph->page = ValueOf(piece);
        }
        glyphs->Add(glyph->id, glyph);
    }

    void Line(const String& line) {
        if (line.StartsWith(String("info")) || line.Length() == 0) return;
        if (line.StartsWith(String("padding"))) return;
        if (line.StartsWith(String("common"))) return Common(line);
        if (line.StartsWith(String("page"))) return Page(line);
        if (line.StartsWith(String("chars"))) return;
        if (line.StartsWith(String("char"))) return Char(line);
    }
};

Array<String> SplitLines(const String& text) {
    Array<String> lines = text.Split(String("\r\n"));
    if (lines.Length() < 2) lines = text.Split(String("\n"));
    return lines;
}

}  // namespace

c_Font* LoadFont(String path, int flags) {
    DescriptionReader reader;
    reader.flags = flags;
    reader.glyphs = gc_new<c_IntMap>();
    int slash = path.FindLast(String("/"));
    if (slash != -1) reader.dir = path.Slice(0, slash + 1);
    String text;
    if (path.Find(String(".txt")) > 0 || path.Find(String(".fnt")) > 0) text = HostLoadText(FixDataPath(path));
    Array<String> lines = SplitLines(text);
    reader.line_count = lines.Length();
    for (int i = 0; i < lines.Length(); ++i) reader.Line(lines[i].Trim());
    return gc_new<c_Font>()->Init(reader.pages, reader.pageCount, reader.glyphs, -1,
                                  static_cast<float>(reader.line_height));
}

// ---- current font and drawing ---------------------------------------------------

int SetFont(c_Font* font) {
    if (!font) {
        if (!context->defaultFont) gc_assign(context->defaultFont, LoadFont(String("kova_font.png"), 32, 96, true));
        font = context->defaultFont;
    }
    gc_assign(context->font, font);
    return 0;
}

namespace {

// Draws the glyphs of one line with the pen starting at penX. Characters
// without a glyph are skipped and do not move the pen. A glyph whose page is
// missing (failed to load, or an index outside the pages) is not drawn but
// still advances, so the line keeps the width TextWidth gave it.
void DrawGlyphs(c_Font* font, const String& text, int pen_x, int top) {
    const int page_total = font->pages.Length();
    for (int i = 0; i < text.Length(); ++i) {
        c_Glyph* g = font->glyphs->Get(text[i]);
        if (!g) continue;
        c_Image* page = g->page >= 0 && g->page < page_total ? font->pages[g->page] : nullptr;
        if (page && page->frames.Length() > 0) {
            c_Frame* f = page->frames[0];
            float px = static_cast<float>(pen_x + g->xoffset);
            float py = static_cast<float>(top + g->yoffset);
            ValidateMatrixIfDirty();
            renderDevice->DrawSurfaceRect(page->surface, px - page->tx, py - page->ty, g->x + f->x, g->y + f->y,
                                          g->width, g->height);
        }
        pen_x += g->xadvance;
    }
}

}  // namespace

int DrawText(String text, int x, int y, float xalign, float yalign) {
    c_Font* font = context->font;
    if (!font) return 0;
    // Left-aligned text needs no width: 0 times a width (a finite sum of
    // advances) takes nothing off x. Most text is drawn this way.
    float w = xalign == 0.0f ? 0.0f : font->TextWidth(text);
    int pen_x = TruncToInt(static_cast<float>(x) - xalign * w);
    int top = TruncToInt(static_cast<float>(y) - yalign * font->height);
    DrawGlyphs(font, text, pen_x, top);
    return 0;
}

int DrawText(Array<String> lines, int x, int y, float xalign, float yalign) {
    c_Font* font = context->font;
    if (!font) return 0;
    int n = lines.Length();
    int top = TruncToInt(static_cast<float>(y) - static_cast<float>(n) * (yalign * font->height));
    for (int i = 0; i < n; ++i) {
        String line = lines[i];
        int pen_x = TruncToInt(static_cast<float>(x) - xalign * font->TextWidth(line));
        DrawGlyphs(font, line, pen_x, top);
        top = TruncToInt(static_cast<float>(top) + font->height);
    }
    return 0;
}
