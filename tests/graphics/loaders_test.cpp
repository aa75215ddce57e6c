// Loaders on real files: image frames, flags and handles, data paths, the image errors,
// cell fonts, font descriptions (malformed ones included), the graphics globals as roots;
// and, on recorded GL calls, the retry of a rejected texture size.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/graphics_device.h"
#include "graphics/gl_recorder.h"
#include "window_device.h"

namespace {

using Loaders = WindowDevice;

TEST_F(Loaders, ImageFramesFlagsAndHandles) {
    const std::pair<std::function<c_Image*()>, std::vector<int>> cases[] = {
        // width, height, handle x and y, flags, then each frame's x and y
        {[&] { return LoadImage(Blank(40, 40), 16, 16, 4, 0); }, {16, 16, 0, 0, 0, 0, 0, 16, 0, 0, 16, 16, 16}},
        {[&] { return LoadImage(Blank(32, 16), c_Image::CenterHandle); }, {32, 16, 16, 8, c_Image::WholeSurface, 0, 0}},
        {[&] { return LoadImage(Blank(36, 10), 2, 3); }, {16, 10, 8, 5, c_Image::PadX, 1, 0, 19, 0}},  // padded in x
        {[&] { return LoadImage(Blank(12, 12), 6); }, {10, 10, 0, 0, 6, 1, 1}},  // padded both ways
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        c_Image* image = cases[i].first();
        ASSERT_NE(image, nullptr) << "row " << i;
        std::vector<int> got = {image->width, image->height, int(image->tx), int(image->ty), image->flags};
        for (int f = 0; f < image->frames.Length(); ++f)
            got.insert(got.end(), {image->frames[f]->x, image->frames[f]->y});
        EXPECT_EQ(got, cases[i].second) << "row " << i;
    }
    for (c_Image* missing : {LoadImage(String("none.png"), 0), LoadImage(String("none.png"), 4, 0)})
        EXPECT_EQ(missing, nullptr);
}

TEST(DataPaths, BareNamesGoToTheDataFolderOthersStay) {
    const std::pair<const char*, const char*> cases[] = {
        {"fonts/a.png", "vantorix://data/fonts/a.png"}, {"x/a:/b.png", "vantorix://data/x/a:/b.png"},
        {"./a.png", "./a.png"}, {"/tmp/a.png", "/tmp/a.png"}, {"vantorix://data/a.png", "vantorix://data/a.png"},
    };
    for (const auto& [path, fixed] : cases) EXPECT_TRUE(FixDataPath(String(path)) == String(fixed)) << path;
}

// Each in a child process without a window; EOF on standard input ends the error prompt,
// and the error's text goes where the test can match it.
TEST(ImageErrorsDeathTest, ASecondInitAndFramesOutsideTheSurfaceEndTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    gxtkSurface* s = gc_new<gxtkGraphics>()->CreateSurface(8, 8);
    c_Image* image = gc_new<c_Image>()->Init(s, 1, 0);
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { image->Init(s, 1, 0); }, "Vantorix Runtime Error : Image already initialized"},
        {[&] { gc_new<c_Image>()->Init(s, 0, 0, 4, 4, 5, 0, nullptr, 0, 0, 8, 8); }, "Image frame outside surface"},
        {[&] { gc_new<c_Image>()->Init(s, 0, 0, 9, 4, 1, 0, nullptr, 0, 0, 8, 8); }, "Image frame outside surface"},
        {[&] { gc_new<c_Image>()->Init(s, 0, 0); }, "Image frame outside surface"},  // a strip of no frames
    };
    for (const auto& [call, message] : cases) {
        auto with_output_on_stderr = [] {
            if (!std::freopen("/dev/null", "r", stdin)) std::abort();
            dup2(fileno(stderr), fileno(stdout));
        };
        EXPECT_EXIT((with_output_on_stderr(), call()), ::testing::ExitedWithCode(255), message);
    }
}

// Cells cut a strip or a grid (a glyph at its offset within its cell);
// layouts without a whole cell are refused rather than divided by.
TEST_F(Loaders, CellFontsCutTheirCellsAndRefuseLayoutsWithoutCells) {
    const std::pair<c_Font*, std::vector<int>> fonts[] = {  // code, then x, y, width, height, advance, line height
        {LoadFont(Blank(960, 18), 32, 96, true), {'A', 331, 1, 8, 16, 8, 16}},
        {LoadFont(Blank(64, 40), 16, 20, 2, 3, 12, 14, 48, 6), {53, 18, 23, 12, 14, 12, 14}},  // row 1, column 1
    };
    for (const auto& [font, want] : fonts) {
        ASSERT_NE(font, nullptr);
        c_Glyph* g = font->GetGlyph(want[0]);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(std::vector<int>({want[0], g->x, g->y, g->width, g->height, g->xadvance, int(font->Height())}),
                  want);
    }
    const String eight = Blank(8, 8);
    EXPECT_NE(LoadFont(eight, 32, 8, false), nullptr);
    c_Font* const refused[] = {LoadFont(eight, 32, 0, true), LoadFont(eight, 32, 9, false),  // cells under a pixel wide
                               LoadFont(eight, 0, 8, 0, 0, 1, 1, 32, 4), LoadFont(eight, 9, 8, 0, 0, 1, 1, 32, 4)};
    for (size_t i = 0; i < std::size(refused); ++i) EXPECT_EQ(refused[i], nullptr) << "row " << i;
}

// Page images load beside the description; a page that does not load stays null; neither
// page lines past the count nor a huge or negative count make more pages than the lines
// could name. Glyphs on a missing page are not drawn but still advance.
TEST_F(Loaders, DescriptionsReadTheirLinesAndPages) {
    // name, text, each page as 1 (loaded) or 0 (null), line height
    const std::tuple<const char*, std::string, std::string, float> cases[] = {
        {"crlf.fnt",
         "common lineHeight=20 base=16 pages=1 packed=0\r\npage id=0 file=\"64x32.png\"\r\n"
         "char id=65 x=1 y=2 width=3 height=4 xoffset=-1 yoffset=5 xadvance=6 page=0 chnl=15\r\n"
         "char id=65 x=9 y=9 width=9 height=9 xoffset=9 yoffset=9 xadvance=9 page=0\r\n", "1", 20},
        {"lf.txt", "common lineHeight=7 pages=0\nchar id=66 x=4 width=2 xadvance=3\n", "", 7},
        {"plain", "common lineHeight=7\nchar id=68\n", "", 0},  // neither .txt nor .fnt: not read
        {"extra.fnt", "common lineHeight=10 pages=1\npage file=64x32.png\npage file=64x32.png\npage file=x\n", "1", 10},
        {"negative.fnt", "common lineHeight=10 pages=-4\npage id=0 file=64x32.png\n", "", 10},
        {"holes.fnt",
         "common lineHeight=10 pages=2\npage file=\"nope.png\"\npage file=64x32.png\n"
         "char id=65 width=4 height=4 xadvance=5 page=0\nchar id=66 width=4 height=4 xadvance=5 page=2\n"
         "char id=67 width=4 height=4 xadvance=5 page=-1\nchar id=68 width=4 height=4 xadvance=5 page=1\n",
         "01", 10},
        {"huge.fnt", "common pages=1222222222\npage file=64x32.png\nchar id=65 width=2 xadvance=3 page=0\n", "1000", 0},
    };
    Blank(64, 32);
    auto load = [&](const char* name) { return LoadFont(String((folder / name).c_str()), 0); };
    for (const auto& [name, text, pages, line_height] : cases) {
        SCOPED_TRACE(name);
        WriteFileBytes(folder / name, text);
        c_Font* font = load(name);
        ASSERT_NE(font, nullptr);
        std::string loaded;
        for (int i = 0; i < font->pages.Length(); ++i) loaded += font->pages[i] ? '1' : '0';
        EXPECT_EQ(loaded, pages);
        EXPECT_EQ(font->pageCount, font->pages.Length());
        EXPECT_FLOAT_EQ(font->Height(), line_height);
    }
    c_Glyph* a = load("crlf.fnt")->GetGlyph(65);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::vector<int>({a->x, a->y, a->width, a->height, a->xoffset, a->yoffset, a->xadvance}),
              std::vector<int>({1, 2, 3, 4, -1, 5, 6})) << "the first line of an id wins";
    EXPECT_FLOAT_EQ(load("huge.fnt")->TextWidth(String("AA")), 6);
    Frame([&] {
        SetFont(load("holes.fnt"));
        DrawText(String("ABCD"), 0, 20, 0, 0);
        EXPECT_EQ(device->primCount, 4) << "only D is drawn";
        EXPECT_EQ(std::vector<float>({device->vertices[0].x, device->vertices[0].y}), std::vector<float>({15, 20}));
    });
}

// Start-up makes the graphics globals roots: the device, the context with its stack and
// the default font (data/kova_font.png beside the program) survive full collections.
TEST_F(Loaders, GraphicsGlobalsAndTheDefaultFontSurviveFullCollections) {
    InitGraphicsGlobals();
    InitDisplayModes();
    std::vector<gc_object*> kept = {SetUpGraphicsDevice(), context, context->matrixStack.Body(), context->font,
                                    desktopMode};
    ASSERT_NE(context->font, nullptr) << "kova_font.png beside the program";
    gc_object* dropped = gc_new<c_Font>();
    for (int i = 0; i < 3; ++i) gc_collect_full();
    for (gc_object* object : kept) EXPECT_TRUE(gc_is_known_object(object));
    EXPECT_FALSE(gc_is_known_object(dropped)) << "unreachable objects do die";
    EXPECT_STREQ(gc_check_heap(), "");
}

// GL that rejects a texture's size gets it again in powers of two, the
// image in their top-left corner.
TEST_F(Loaders, ARejectedTextureSizeIsRetriedInPowersOfTwo) {
    const GlFunctions real = gl;
    gl = RecordingGl();
    GlRecorder& rec = TheGlRecorder();
    rec.errors.push_back(GL_INVALID_VALUE);
    device->BeginRender();
    gxtkSurface* s = gc_new<gxtkSurface>();
    s->SetData(static_cast<unsigned char*>(std::calloc(300 * 200, 4)), 300, 200, 4);
    s->Bind();
    device->DrawSurface(s, 0, 0);
    s->Discard();  // the recorded texture name is none of the real context's
    gl = real;
    std::vector<std::vector<double>> sizes;
    for (const GlCall& call : rec.Named("TexImage2D")) sizes.push_back({call.args[3], call.args[4]});
    EXPECT_EQ(sizes, (std::vector<std::vector<double>>{{300, 200}, {512, 256}}));
    const gxtkVertex& corner = device->vertices[2];
    EXPECT_EQ(std::vector<float>({corner.x, corner.u, corner.v}),
              std::vector<float>({300, 300.0f / 512, 200.0f / 256}));
}

// Colour packing converts floats without widening them; it must agree with
// the double conversion everywhere, the edges of the range included.
TEST(ColourTerms, FastTruncationAgreesWithThePortableOne) {
    const float values[] = {0.0f, -0.0f, 0.99f, -0.99f, -1.0f, -2.5f, 255.9f, 256.0f, 2147483520.0f, -2147483648.0f,
                            2147483648.0f, -2147483904.0f, 1e20f, std::nanf(""), HUGE_VALF, -HUGE_VALF, 1e-40f};
    for (float v : values) EXPECT_EQ(TruncFloatToInt(v), TruncToInt(v)) << v;
}

}  // namespace
