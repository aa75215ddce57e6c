// Image and font loaders on a host that serves files from memory: frame
// layouts, flags and handles, the initialisation errors (in a child process),
// data paths, strip and grid fonts, and font descriptions, malformed ones
// included. How loaded pixels look is the window program's job.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "graphics/font.h"
#include "graphics/gl_functions.h"
#include "graphics/graphics_context.h"
#include "graphics/image.h"
#include "host/rt_game.h"

namespace {

std::string FileName(const String& path) {
    std::vector<unsigned char> bytes;
    path.ToUtf8(bytes);
    std::string name(bytes.begin(), bytes.end());
    return name.substr(name.find_last_of('/') + 1);
}

// Text files by name, and for "<w>x<h>.png" blank RGBA pixels of that size;
// anything else is missing.
class MemoryHost : public RtGame {
public:
    std::map<std::string, std::string> texts;

    String LoadTextFile(const String& path) override {
        auto text = texts.find(FileName(path));
        return text == texts.end() ? String() : String(text->second.c_str());
    }
    unsigned char* LoadImageData(const String& path, int* w, int* h, int* depth) override {
        if (std::sscanf(FileName(path).c_str(), "%dx%d.png", w, h) != 2) return nullptr;
        *depth = 4;
        return static_cast<unsigned char*>(std::calloc(size_t(*w) * size_t(*h), 4));
    }
};

class Loaders : public ::testing::Test {
protected:
    static void SetUpTestSuite() { host = new MemoryHost; }
    static void TearDownTestSuite() {
        delete host;
        host = nullptr;
    }
    void SetUp() override {
        gl = NullGl();
        InitGraphicsContextGlobals();
        device = gc_new<gxtkGraphics>();
        SetGraphicsDevice(device);
        deviceWidth = 640;
        deviceHeight = 480;
    }
    static MemoryHost* host;
    gxtkGraphics* device = nullptr;
};
MemoryHost* Loaders::host = nullptr;

TEST_F(Loaders, ImageFramesFlagsAndHandles) {
    struct Case {
        const char* what;
        std::function<c_Image*()> load;
        int width, height;
        std::vector<int> frame_xy;
        float tx, ty;
        int flags;
    } cases[] = {
        {"strip of 4", [] { return LoadImage(String("100x20.png"), 4, 0); }, 25, 20,
         {0, 0, 25, 0, 50, 0, 75, 0}, 0, 0, 0},
        {"grid of 4", [] { return LoadImage(String("40x40.png"), 16, 16, 4, 0); }, 16, 16,
         {0, 0, 16, 0, 0, 16, 16, 16}, 0, 0, 0},
        {"whole, centred", [] { return LoadImage(String("32x16.png"), c_Image::CenterHandle); }, 32, 16, {0, 0},
         16, 8, c_Image::WholeSurface},
        {"strip of 2 padded in x, centred", [] { return LoadImage(String("36x10.png"), 2, 3); }, 16, 10,
         {1, 0, 19, 0}, 8, 5, c_Image::PadX},
        {"padded both ways", [] { return LoadImage(String("12x12.png"), 6); }, 10, 10, {1, 1}, 0, 0, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c_Image* image = c.load();
        ASSERT_NE(image, nullptr);
        std::vector<int> frame_xy;
        for (int i = 0; i < image->frames.Length(); ++i)
            frame_xy.insert(frame_xy.end(), {image->frames[i]->x, image->frames[i]->y});
        EXPECT_EQ(std::vector<float>({float(image->width), float(image->height), image->tx, image->ty}),
                  std::vector<float>({float(c.width), float(c.height), c.tx, c.ty}));
        EXPECT_EQ(frame_xy, c.frame_xy);
        EXPECT_EQ(image->flags, c.flags);
    }
    EXPECT_EQ(LoadImage(String("none.png"), 0), nullptr);
    EXPECT_EQ(LoadImage(String("none.png"), 4, 0), nullptr);
}

TEST_F(Loaders, HandleAndFrameOffsetsPlaceTheDrawnRectangle) {
    AdvanceContextGeneration();  // as with a window: the texture, and its coordinates, are made at once
    c_Image* image = LoadImage(String("40x40.png"), 10, 10, 4, 1);  // handle (5, 5)
    ASSERT_NE(image, nullptr);
    device->BeginRender();
    BeginRender();
    DrawImageRect(image, 100, 50, 2, 3, 4, 5, 1);
    EXPECT_FLOAT_EQ(device->vertices[0].x, 95);
    EXPECT_FLOAT_EQ(device->vertices[0].y, 45);
    EXPECT_FLOAT_EQ(device->vertices[0].u, 12.0f / 40) << "frame 1 at x = 10, plus 2";
    EXPECT_FLOAT_EQ(device->vertices[2].v, 8.0f / 40);
    DrawImageRect(image, 100, 50, 0, 0, 10, 10, 90, 2, 2, 0);
    // Turned about the handle, which lands on (100, 50): the top-left corner
    // (-5, -5) scaled by 2 and turned by 90 degrees goes to (-10, +10).
    EXPECT_NEAR(device->vertices[4].x, 90, 1e-4);
    EXPECT_NEAR(device->vertices[4].y, 60, 1e-4);
    EXPECT_EQ(context->tformed, 0) << "the matrix is restored";
    image->SetHandle(1, 2);
    EXPECT_FLOAT_EQ(image->tx, 1);
    EndRender();
    device->EndRender();
}

TEST(DataPaths, BareNamesGoToTheDataFolderOthersStay) {
    const std::pair<const char*, const char*> cases[] = {
        {"logo.png", "vantorix://data/logo.png"}, {"fonts/a.png", "vantorix://data/fonts/a.png"},
        {"./a.png", "./a.png"},                   {"/tmp/a.png", "/tmp/a.png"},
        {"c:/a.png", "c:/a.png"},                 {"vantorix://data/a.png", "vantorix://data/a.png"},
        {"x/a:/b.png", "vantorix://data/x/a:/b.png"},
    };
    for (const auto& [path, fixed] : cases) EXPECT_TRUE(FixDataPath(String(path)) == String(fixed)) << path;
}

// In the death-test child: EOF on standard input ends the error prompt, and
// the error's text goes where the test can match it.
void WithErrorOutputOnStderr() {
    if (!std::freopen("/dev/null", "r", stdin)) std::abort();
    std::fflush(stdout);
    dup2(fileno(stderr), fileno(stdout));
}

using LoadersDeathTest = Loaders;

TEST_F(LoadersDeathTest, ImagesRefuseASecondInitAndFramesOutsideTheSurface) {
    gxtkSurface* s = device->CreateSurface(8, 8);
    c_Image* image = gc_new<c_Image>()->Init(s, 1, 0);
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { image->Init(s, 1, 0); }, "Vantorix Runtime Error : Image already initialized"},
        {[] { LoadImage(String("40x40.png"), 16, 16, 5, 0); }, "Vantorix Runtime Error : Image frame outside surface"},
        {[&] { gc_new<c_Image>()->Init(s, 0, 0, 9, 4, 1, 0, nullptr, 0, 0, 8, 8); }, "Image frame outside surface"},
        {[&] { gc_new<c_Image>()->Init(s, 0, 0); }, "Image frame outside surface"},  // a strip of no frames
    };
    for (const auto& [call, message] : cases)
        EXPECT_EXIT((WithErrorOutputOnStderr(), call()), ::testing::ExitedWithCode(255), message);
}

TEST_F(Loaders, CellFontsCutTheirCellsAndRefuseLayoutsWithoutCells) {
    struct Case {
        const char* what;
        c_Font* font;
        int code, x, y, width, height, xadvance;
        float line_height;
    } cases[] = {
        {"strip", LoadFont(String("910x12.png"), 32, 91, false), 'A', 330, 0, 10, 12, 10, 12},
        {"grid, row 1 column 1", LoadFont(String("64x40.png"), 16, 20, 2, 3, 12, 14, 48, 6), 53, 18, 23, 12, 14,
         12, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.font, nullptr);
        c_Glyph* g = c.font->GetGlyph(c.code);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(std::vector<int>({g->x, g->y, g->width, g->height, g->xadvance}),
                  std::vector<int>({c.x, c.y, c.width, c.height, c.xadvance}));
        EXPECT_FLOAT_EQ(c.font->Height(), c.line_height);
    }
    c_Font* strip = cases[0].font;
    EXPECT_EQ(strip->firstChar, 32);
    EXPECT_EQ(strip->GetGlyph(176), nullptr);
    EXPECT_FLOAT_EQ(strip->TextWidth(String("A\xb0" "B")), 20) << "no glyph, no width";

    String narrow("8x8.png");
    EXPECT_NE(LoadFont(narrow, 32, 8, false), nullptr);
    EXPECT_EQ(LoadFont(narrow, 32, 0, false), nullptr);
    EXPECT_EQ(LoadFont(narrow, 32, -3, true), nullptr);
    EXPECT_EQ(LoadFont(narrow, 32, 9, false), nullptr) << "cells under a pixel wide";
    EXPECT_EQ(LoadFont(String("90x12.png"), 32, 91, false), nullptr) << "90 pixels for 91 cells";
    EXPECT_EQ(LoadFont(narrow, 0, 8, 0, 0, 1, 1, 32, 4), nullptr);
    EXPECT_EQ(LoadFont(narrow, 9, 8, 0, 0, 1, 1, 32, 4), nullptr) << "narrower than one cell";
    EXPECT_EQ(LoadFont(String("missing.png"), 32, 8, false), nullptr);
}

// Page images load beside the description; a page that does not load stays
// null, and neither page lines past the count nor a huge or negative count
// make more pages than the description's lines could name.
TEST_F(Loaders, DescriptionsReadTheirLinesAndPages) {
    struct Case {
        const char* name;
        std::string text;
        int page_count;
        std::string pages;  // per page: 1 loaded, 0 null
        float line_height;
    } cases[] = {
        {"crlf.fnt",
         "info face=\"Test\" size=20\r\ncommon lineHeight=20 base=16 pages=1 packed=0\r\n"
         "page id=0 file=\"64x32.png\"\r\n"
         "char id=65 x=1 y=2 width=3 height=4 xoffset=-1 yoffset=5 xadvance=6 page=0 chnl=15\r\n"
         "char id=65 x=9 y=9 width=9 height=9 xoffset=9 yoffset=9 xadvance=9 page=0\r\nkerning first=65 second=65\r\n",
         1, "1", 20},
        {"lf.txt", "common lineHeight=7 pages=0\nchar id=66 x=4 width=2 xadvance=3\n", 0, "", 7},
        {"one.fnt", "char id=67 xadvance=5", 0, "", 0},
        {"plain", "common lineHeight=7\nchar id=68\n", 0, "", 0},  // neither .txt nor .fnt: not read
        {"missing.fnt", "", 0, "", 0},
        {"extra.fnt", "common lineHeight=10 pages=1\npage id=0 file=64x32.png\npage id=1 file=64x32.png\npage file=x\n",
         1,
         "1", 10},
        {"negative.fnt", "common lineHeight=10 pages=-4\npage id=0 file=64x32.png\n", 0, "", 10},
        {"holes.fnt", "common pages=2\npage file=\"nope.png\"\npage file=64x32.png\n", 2, "01", 0},
        {"huge.fnt", "common pages=1222222222\npage id=0 file=64x32.png\nchar id=65 width=2 xadvance=3 page=0\n", 4,
         "1000", 0},
        {"max.fnt", "common pages=2147483647\npage id=0 file=64x32.png\n", 3, "100", 0},
        {"overflow.fnt", "common pages=12222222222222222222222222222\npage id=0 file=64x32.png\n", 0, "", 0},
    };
    for (const Case& c : cases)
        if (c.name != std::string("missing.fnt")) host->texts[c.name] = c.text;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c_Font* font = LoadFont(String((std::string("fonts/") + c.name).c_str()), 0);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->pageCount, c.page_count);
        std::string pages;
        for (int i = 0; i < font->pages.Length(); ++i) pages += font->pages[i] ? '1' : '0';
        EXPECT_EQ(pages, c.pages);
        EXPECT_FLOAT_EQ(font->Height(), c.line_height);
    }
    c_Glyph* a = LoadFont(String("crlf.fnt"), 0)->GetGlyph(65);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::vector<int>({a->x, a->y, a->width, a->height, a->xoffset, a->yoffset, a->xadvance}),
              std::vector<int>({1, 2, 3, 4, -1, 5, 6}))
        << "the first line of an id wins";
    EXPECT_EQ(LoadFont(String("lf.txt"), 0)->GetGlyph(66)->x, 4);
    EXPECT_NE(LoadFont(String("one.fnt"), 0)->GetGlyph(67), nullptr);
    EXPECT_EQ(LoadFont(String("plain"), 0)->GetGlyph(68), nullptr);
    EXPECT_FLOAT_EQ(LoadFont(String("huge.fnt"), 0)->TextWidth(String("AA")), 6);
}

TEST_F(Loaders, GlyphsOnMissingPagesAreNotDrawnButAdvance) {
    host->texts["gaps.fnt"] =
        "common lineHeight=10 pages=2\npage file=\"nope.png\"\npage file=64x32.png\n"
        "char id=65 width=4 height=4 xadvance=5 page=0\nchar id=66 width=4 height=4 xadvance=5 page=2\n"
        "char id=67 width=4 height=4 xadvance=5 page=-1\nchar id=68 width=4 height=4 xadvance=5 page=1\n";
    Array<String> lines(1);
    lines.Set(0, String("ABCD"));
    device->BeginRender();
    BeginRender();
    SetFont(LoadFont(String("gaps.fnt"), 0));
    DrawText(String("ABCD"), 0, 0, 0, 0);
    DrawText(lines, 0, 20, 0, 0);
    EXPECT_EQ(device->primCount, 8) << "only D is drawn, twice";
    EXPECT_FLOAT_EQ(device->vertices[0].x, 15);
    EXPECT_FLOAT_EQ(device->vertices[4].y, 20);
    EndRender();
    device->EndRender();
}

}  // namespace
