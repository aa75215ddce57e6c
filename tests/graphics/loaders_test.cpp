// Image and font loaders on real files: frame layouts and flags, both
// initialisation errors (in a child process), data paths, strip, grid and
// description fonts, and the guards against malformed input.
#include <unistd.h>

#include "window_fixture.h"

namespace {

using Images = WindowDevice;

TEST_F(Images, StripFramesAndGridFramesFollowTheSurface) {
    std::string strip = Png("strip.png", 100, 20, 2, std::vector<int>(100 * 20 * 3, 9));
    c_Image* four = LoadImage(String(strip.c_str()), 4, 0);
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->width, 25);
    EXPECT_EQ(four->height, 20);
    ASSERT_EQ(four->frames.Length(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(four->frames[i]->x, 25 * i);
        EXPECT_EQ(four->frames[i]->y, 0);
    }
    EXPECT_EQ(four->flags, 0) << "several frames never cover the whole surface";

    std::string square = Png("grid.png", 40, 40, 0, std::vector<int>(40 * 40, 9));
    c_Image* grid = LoadImage(String(square.c_str()), 16, 16, 4, 0);
    ASSERT_NE(grid, nullptr);
    const int want[4][2] = {{0, 0}, {16, 0}, {0, 16}, {16, 16}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(grid->frames[i]->x, want[i][0]);
        EXPECT_EQ(grid->frames[i]->y, want[i][1]);
    }
    EXPECT_EQ(LoadImage(String("/nonexistent/none.png"), 0), nullptr);
    EXPECT_EQ(LoadImage(String("/nonexistent/none.png"), 4, 0), nullptr);
}

TEST_F(Images, FlagsPadAndCentreTheHandle) {
    c_Image* whole = LoadImage(String(Png("w.png", 32, 16, 0, std::vector<int>(32 * 16)).c_str()), 1);
    ASSERT_NE(whole, nullptr);
    EXPECT_FLOAT_EQ(whole->tx, 16);
    EXPECT_FLOAT_EQ(whole->ty, 8);
    EXPECT_EQ(whole->flags, c_Image::WholeSurface);

    c_Image* padded = LoadImage(String(Png("p.png", 36, 10, 0, std::vector<int>(36 * 10)).c_str()), 2, 3);
    ASSERT_NE(padded, nullptr);
    EXPECT_EQ(padded->width, 16);
    EXPECT_EQ(padded->height, 10);
    EXPECT_EQ(padded->frames[1]->x, 19);
    EXPECT_FLOAT_EQ(padded->tx, 8);
    EXPECT_FLOAT_EQ(padded->ty, 5);
    EXPECT_EQ(padded->flags, c_Image::PadX);

    padded->SetHandle(1, 2);
    EXPECT_FLOAT_EQ(padded->tx, 1);
    c_Image* both = LoadImage(String(Png("b.png", 12, 12, 0, std::vector<int>(144)).c_str()), 6);
    EXPECT_EQ(both->frames[0]->x, 1);
    EXPECT_EQ(both->frames[0]->y, 1);
    EXPECT_EQ(both->width, 10);
    EXPECT_EQ(both->flags, 6) << "a padded frame is not the whole surface";
}

TEST_F(Images, HandleAndFrameOffsetsPlaceTheDrawnRectangle) {
    c_Image* image = LoadImage(String(Png("h.png", 40, 10, 0, std::vector<int>(400)).c_str()), 4, 1);
    ASSERT_NE(image, nullptr);
    device->BeginRender();
    BeginRender();
    DrawImageRect(image, 100, 50, 2, 3, 4, 5, 2);
    EXPECT_FLOAT_EQ(device->vertices[0].x, 95);  // 100 - handle 5
    EXPECT_FLOAT_EQ(device->vertices[0].y, 45);
    EXPECT_FLOAT_EQ(device->vertices[0].u, 22.0f / 40);  // frame 2 at x = 20, plus 2
    EXPECT_FLOAT_EQ(device->vertices[2].v, 8.0f / 10);
    DrawImageRect(image, 100, 50, 0, 0, 10, 10, 90, 2, 2, 0);
    // Turned about the handle, which lands on (100, 50): the top-left corner
    // (-5, -5) scaled by 2 and turned by 90 degrees goes to (-10, +10).
    EXPECT_NEAR(device->vertices[4].x, 90, 1e-4);
    EXPECT_NEAR(device->vertices[4].y, 60, 1e-4);
    EXPECT_EQ(context->matrixSp, 0);
    EXPECT_EQ(context->tformed, 0) << "the matrix is restored";
    EndRender();
    device->EndRender();
}

TEST_F(Images, FixDataPathPrefixesBareNamesOnly) {
    EXPECT_TRUE(FixDataPath(String("logo.png")) == String("vantorix://data/logo.png"));
    EXPECT_TRUE(FixDataPath(String("fonts/a.png")) == String("vantorix://data/fonts/a.png"));
    EXPECT_TRUE(FixDataPath(String("./a.png")) == String("./a.png"));
    EXPECT_TRUE(FixDataPath(String("/tmp/a.png")) == String("/tmp/a.png"));
    EXPECT_TRUE(FixDataPath(String("c:/a.png")) == String("c:/a.png"));
    EXPECT_TRUE(FixDataPath(String("vantorix://data/a.png")) == String("vantorix://data/a.png"));
    EXPECT_TRUE(FixDataPath(String("x/a:/b.png")) == String("vantorix://data/x/a:/b.png"));
}

// Runs in the death-test child: EOF on standard input ends the error
// prompt, and the error's text goes where the test can match it.
void WithErrorOutputOnStderr() {
    if (!std::freopen("/dev/null", "r", stdin)) std::abort();
    std::fflush(stdout);
    dup2(fileno(stderr), fileno(stdout));
}

using ImagesDeathTest = WindowDevice;

TEST_F(ImagesDeathTest, SecondInitIsAnError) {
    gxtkSurface* s = device->CreateSurface(8, 8);
    c_Image* image = gc_new<c_Image>()->Init(s, 1, 0);
    EXPECT_EXIT((WithErrorOutputOnStderr(), image->Init(s, 1, 0)), ::testing::ExitedWithCode(255),
                "Vantorix Runtime Error : Image already initialized");
}

TEST_F(ImagesDeathTest, FramesOutsideTheSurfaceAreAnError) {
    std::string square = Png("grid.png", 40, 40, 0, std::vector<int>(40 * 40, 9));
    EXPECT_EXIT((WithErrorOutputOnStderr(), LoadImage(String(square.c_str()), 16, 16, 5, 0)),
                ::testing::ExitedWithCode(255), "Vantorix Runtime Error : Image frame outside surface");
    gxtkSurface* s = device->CreateSurface(8, 8);
    EXPECT_EXIT((WithErrorOutputOnStderr(), gc_new<c_Image>()->Init(s, 0, 0, 9, 4, 1, 0, nullptr, 0, 0, 8, 8)),
                ::testing::ExitedWithCode(255), "Image frame outside surface");
    EXPECT_EXIT((WithErrorOutputOnStderr(), gc_new<c_Image>()->Init(s, 0, 0)), ::testing::ExitedWithCode(255),
                "Image frame outside surface")
        << "a strip of no frames has no frame width";
}

using Fonts = WindowDevice;

TEST_F(Fonts, StripFontCells) {
    std::string path = Png("strip.png", 910, 12, 0, std::vector<int>(910 * 12));
    c_Font* font = LoadFont(String(path.c_str()), 32, 91, false);
    ASSERT_NE(font, nullptr);
    c_Glyph* a = font->GetGlyph('A');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->x, 330);
    EXPECT_EQ(a->y, 0);
    EXPECT_EQ(a->width, 10);
    EXPECT_EQ(a->height, 12);
    EXPECT_EQ(a->xadvance, 10);
    EXPECT_FLOAT_EQ(font->Height(), 12);
    EXPECT_EQ(font->firstChar, 32);
    EXPECT_EQ(font->GetGlyph(176), nullptr);
    EXPECT_FLOAT_EQ(font->TextWidth(String("A\xb0" "B")), 20) << "no glyph, no width";
}

TEST_F(Fonts, DefaultFontLayout) {
    SetFont(nullptr);
    c_Font* font = context->font;
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font, context->defaultFont);
    EXPECT_EQ(font->pages[0]->width, 960);
    for (int code : {32, 65, 127}) {
        c_Glyph* g = font->GetGlyph(code);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->x, 10 * (code - 32) + 1);
        EXPECT_EQ(g->y, 1);
        EXPECT_EQ(g->width, 8);
        EXPECT_EQ(g->height, 16);
        EXPECT_EQ(g->xadvance, 8);
    }
    EXPECT_EQ(font->GetGlyph(128), nullptr);
    EXPECT_FLOAT_EQ(font->Height(), 16);
    SetFont(nullptr);
    EXPECT_EQ(context->font, font) << "loaded once";
}

TEST_F(Fonts, GridFontCells) {
    std::string path = Png("grid.png", 64, 40, 0, std::vector<int>(64 * 40));
    c_Font* font = LoadFont(String(path.c_str()), 16, 20, 2, 3, 12, 14, 48, 6);
    ASSERT_NE(font, nullptr);
    c_Glyph* g = font->GetGlyph(48 + 5);  // row 1, column 1
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->x, 2 + 16);
    EXPECT_EQ(g->y, 3 + 20);
    EXPECT_EQ(g->width, 12);
    EXPECT_EQ(g->xadvance, 12);
    EXPECT_FLOAT_EQ(font->Height(), 14);
}

TEST_F(Fonts, CellLoadersRefuseLayoutsWithoutCells) {
    std::string path = Png("narrow.png", 8, 8, 0, std::vector<int>(64));
    EXPECT_EQ(LoadFont(String(path.c_str()), 32, 0, false), nullptr);
    EXPECT_EQ(LoadFont(String(path.c_str()), 32, -3, true), nullptr);
    EXPECT_EQ(LoadFont(String(path.c_str()), 32, 9, false), nullptr) << "cells under a pixel wide";
    EXPECT_NE(LoadFont(String(path.c_str()), 32, 8, false), nullptr);
    EXPECT_EQ(LoadFont(String(path.c_str()), 0, 8, 0, 0, 1, 1, 32, 4), nullptr);
    EXPECT_EQ(LoadFont(String(path.c_str()), 9, 8, 0, 0, 1, 1, 32, 4), nullptr) << "narrower than one cell";
    EXPECT_EQ(LoadFont(String("/nonexistent/f.png"), 32, 8, false), nullptr);
}

class Descriptions : public WindowDevice {
protected:
    void SetUp() override {
        WindowDevice::SetUp();
        std::filesystem::create_directories(std::filesystem::path(Text("x", "")).parent_path() / "fonts");
        page = Png("fonts/pg.png", 64, 32, 6, std::vector<int>(64 * 32 * 4, 255));
    }
    std::string page;
};

TEST_F(Descriptions, ReadsCommonPageAndCharLines) {
    std::string fnt = Text("fonts/big.fnt",
                           "info face=\"Test\" size=20\r\n"
                           "common lineHeight=20 base=16 scaleW=64 scaleH=32 pages=1 packed=0\r\n"
                           "page id=0 file=\"pg.png\"\r\n"
                           "chars count=2\r\n"
                           "char id=65 x=1 y=2 width=3 height=4 xoffset=-1 yoffset=5 xadvance=6 page=0 chnl=15\r\n"
                           "char id=65 x=9 y=9 width=9 height=9 xoffset=9 yoffset=9 xadvance=9 page=0\r\n"
                           "kerning first=65 second=65 amount=-1\r\n");
    c_Font* font = LoadFont(String(fnt.c_str()), 0);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->pageCount, 1);
    ASSERT_EQ(font->pages.Length(), 1);
    ASSERT_NE(font->pages[0], nullptr) << "loaded beside the description, quotes removed";
    EXPECT_EQ(font->pages[0]->width, 64);
    EXPECT_FLOAT_EQ(font->Height(), 20);
    EXPECT_EQ(font->firstChar, -1);
    c_Glyph* a = font->GetGlyph(65);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->x, 1) << "the first line with an id wins";
    EXPECT_EQ(a->y, 2);
    EXPECT_EQ(a->width, 3);
    EXPECT_EQ(a->height, 4);
    EXPECT_EQ(a->xoffset, -1);
    EXPECT_EQ(a->yoffset, 5);
    EXPECT_EQ(a->xadvance, 6);
}

TEST_F(Descriptions, LineFeedOnlyAndSingleLineTexts) {
    std::string lf = Text("lf.txt", "common lineHeight=7 pages=0\nchar id=66 x=4 width=2 xadvance=3\n");
    c_Font* font = LoadFont(String(lf.c_str()), 0);
    EXPECT_FLOAT_EQ(font->Height(), 7);
    ASSERT_NE(font->GetGlyph(66), nullptr);
    EXPECT_EQ(font->GetGlyph(66)->x, 4);
    EXPECT_EQ(font->pages.Length(), 0);

    std::string one = Text("one.fnt", "char id=67 xadvance=5");
    EXPECT_NE(LoadFont(String(one.c_str()), 0)->GetGlyph(67), nullptr);
    // Neither ".txt" nor ".fnt" in the name, or missing: no text at all.
    EXPECT_EQ(LoadFont(String(Text("plain", "char id=68").c_str()), 0)->GetGlyph(68), nullptr);
    c_Font* missing = LoadFont(String("/nonexistent/x.fnt"), 0);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->pages.Length(), 0);
    EXPECT_FLOAT_EQ(missing->Height(), 0);
}

TEST_F(Descriptions, ExtraPageLinesAndNegativeCountsStayInsideThePages) {
    std::string extra = Text("fonts/extra.fnt",
                             "common lineHeight=10 pages=1\n"
                             "page id=0 file=pg.png\n"
                             "page id=1 file=pg.png\n"
                             "page id=2 file=\"missing.png\"\n");
    c_Font* font = LoadFont(String(extra.c_str()), 0);
    EXPECT_EQ(font->pageCount, 1);
    ASSERT_EQ(font->pages.Length(), 1);
    EXPECT_NE(font->pages[0], nullptr);

    std::string negative = Text("fonts/neg.fnt", "common lineHeight=10 pages=-4\npage id=0 file=pg.png\n");
    c_Font* none = LoadFont(String(negative.c_str()), 0);
    EXPECT_EQ(none->pageCount, 0);
    EXPECT_EQ(none->pages.Length(), 0);

    std::string failed = Text("fonts/failed.fnt", "common pages=2\npage file=\"nope.png\"\npage file=pg.png\n");
    c_Font* holes = LoadFont(String(failed.c_str()), 0);
    ASSERT_EQ(holes->pages.Length(), 2);
    EXPECT_EQ(holes->pages[0], nullptr) << "a page that fails to load stays null";
    EXPECT_NE(holes->pages[1], nullptr);
}

TEST_F(Descriptions, GlyphsOnMissingPagesAreSkippedWhenDrawn) {
    std::string fnt = Text("fonts/holes.fnt",
                           "common lineHeight=10 pages=2\n"
                           "page file=\"nope.png\"\n"
                           "page file=pg.png\n"
                           "char id=65 width=4 height=4 xadvance=5 page=0\n"
                           "char id=66 width=4 height=4 xadvance=5 page=7\n"
                           "char id=67 width=4 height=4 xadvance=5 page=-1\n"
                           "char id=68 width=4 height=4 xadvance=5 page=1\n");
    c_Font* font = LoadFont(String(fnt.c_str()), 0);
    Array<String> lines(1);
    lines.Set(0, String("ABCD"));
    Frame([&] {
        Clear(0, 0, 0);
        SetFont(font);
        DrawText(String("ABCD"), 0, 0, 0, 0);
        DrawText(lines, 0, 20, 0, 0);
        EXPECT_EQ(device->primCount, 8) << "only D is drawn, twice";
        EXPECT_FLOAT_EQ(device->vertices[0].x, 15) << "undrawn glyphs still advance";
    });
    EXPECT_EQ(Rgb(14, 0), 0u);
    EXPECT_EQ(Rgb(15, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(15, 20), 0xFFFFFFu);
}

}  // namespace
