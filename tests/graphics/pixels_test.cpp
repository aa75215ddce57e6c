// Pixels drawn by real OpenGL (Mesa) in a real window and read back through
// the device: coverage and read-back order, premultiplied and additive
// blending, the scissor, images from real PNG files of every channel layout, textures
// across a new context and written pixels, and text.
#include <cstdlib>

#include "window_fixture.h"

namespace {

using Pixels = WindowDevice;

TEST_F(Pixels, RectanglesCoverWholePixelsAndReadBackRunsTopDown) {
    Array<int> rows(6);
    Frame([&] {
        Clear(0, 0, 0);
        DrawRect(10, 10, 4, 3);
        DrawRect(30.25f, 10.25f, 2, 2);  // covers pixel centres 30.5 and 31.5
        DrawRect(50.75f, 10.75f, 2, 2);  // covers pixel centres 51.5 and 52.5
        SetColor(255, 0, 0);
        DrawRect(0, 0, 2, 1);
        SetColor(0, 0, 255);
        DrawRect(0, 1, 2, 1);
        device->ReadPixels(rows, 0, 0, 2, 2, 1, 3);  // reads what is still batched
    });
    const std::pair<int, int> lit[] = {{10, 10}, {13, 12}, {30, 10}, {31, 11}, {51, 11}, {52, 12}};
    const std::pair<int, int> dark[] = {{9, 10}, {14, 10}, {10, 13}, {32, 10}, {50, 11}, {53, 12}};
    for (auto [x, y] : lit) EXPECT_EQ(Rgb(x, y), 0xFFFFFFu) << x << "," << y;
    for (auto [x, y] : dark) EXPECT_EQ(Rgb(x, y), 0u) << x << "," << y;
    std::vector<uint32_t> read;
    for (int i = 1; i < 6; ++i) read.push_back(static_cast<uint32_t>(rows[i]) & 0xFFFFFF);
    EXPECT_EQ(read, (std::vector<uint32_t>{0xFF0000, 0xFF0000, 0, 0x0000FF, 0x0000FF})) << "offset 1, pitch 3";
}

TEST_F(Pixels, PremultipliedAndAdditiveBlending) {
    Frame([] {
        Clear(255, 255, 255);
        SetColor(255, 128, 0);
        SetAlpha(0.5f);
        DrawRect(0, 0, 1, 1);
        SetAlpha(1);
        SetColor(100, 0, 0);
        DrawRect(0, 1, 3, 1);  // still batched when the blend changes
        SetBlend(1);
        SetColor(100, 50, 0);
        DrawRect(1, 1, 1, 1);
        SetColor(200, 0, 0);
        DrawRect(2, 1, 1, 1);
        DrawRect(2, 1, 1, 1);
        SetBlend(2);  // anything but 1 blends as 0 does
        SetColor(255, 128, 0);
        SetAlpha(0.5f);
        DrawRect(0, 2, 1, 1);
    });
    // 127 + 255 * 128/255 = 255, 64 + 128 = 192, 0 + 128 = 128, give or take
    // one step of the blender's rounding.
    for (int shift : {0, 8, 16}) {
        EXPECT_NEAR(int(Rgb(0, 0) >> shift & 255), int(0xFFC080 >> shift & 255), 1);
        EXPECT_NEAR(int(Rgb(0, 2) >> shift & 255), int(0xFFC080 >> shift & 255), 1);
    }
    EXPECT_EQ(Rgb(0, 1), 0x640000u);
    EXPECT_EQ(Rgb(1, 1), 0xC83200u) << "additive: 100 + 100, 0 + 50";
    EXPECT_EQ(Rgb(2, 1), 0xFF0000u) << "additive saturates";
}

TEST_F(Pixels, ScissorClipsAndFullSizeUnclips) {
    Frame([] {
        Clear(0, 0, 0);
        SetScissor(10, 20, 5, 4);
        DrawRect(0, 0, 100, 100);
        SetScissor(0, 0, static_cast<float>(DeviceWidth()), static_cast<float>(DeviceHeight()));
        SetColor(0, 255, 0);
        DrawRect(200, 200, 1, 1);
    });
    EXPECT_EQ(Rgb(10, 20), 0xFFFFFFu);
    EXPECT_EQ(Rgb(14, 23), 0xFFFFFFu);
    for (auto [x, y] : {std::pair{9, 20}, {10, 19}, {15, 23}, {14, 24}}) EXPECT_EQ(Rgb(x, y), 0u) << x << "," << y;
    EXPECT_EQ(Rgb(200, 200), 0x00FF00u);
}

// Each PNG colour type through the real decoder into a texture; alpha is
// premultiplied on the way.
TEST_F(Pixels, ImagesOfEveryChannelLayoutDrawPixelExact) {
    struct Case {
        int colour_type, width, height;
        std::vector<int> bytes;
        int depth;
        std::vector<uint32_t> pixels;  // row by row
    } cases[] = {
        {6, 2, 2, {255, 0, 0, 128, 10, 20, 30, 0, 0, 255, 0, 255, 0, 0, 255, 64}, 4,
         {0x800000, 0, 0x00FF00, 0x000040}},
        {2, 2, 2, {1, 2, 3, 250, 128, 6, 9, 8, 7, 60, 70, 80}, 3, {0x010203, 0xFA8006, 0x090807, 0x3C4650}},
        {0, 2, 2, {77, 16, 30, 200}, 1, {0x4D4D4D, 0x101010, 0x1E1E1E, 0xC8C8C8}},  // rows not 4-byte aligned
        {4, 2, 1, {200, 100, 16, 255}, 2, {0x4E4E4E, 0x101010}},  // 200 * 100 / 255 = 78
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("colour type " + std::to_string(c.colour_type));
        std::string name = "type" + std::to_string(c.colour_type) + ".png";
        c_Image* image = LoadImage(String(Png(name, c.width, c.height, c.colour_type, c.bytes).c_str()), 0);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->surface->depth, c.depth);
        EXPECT_EQ(image->flags, c_Image::WholeSurface);
        Frame([&] {
            Clear(0, 0, 0);
            DrawImageRect(image, 20, 20, 0, 0, c.width, c.height, 0);
            DrawImageRect(image, 40, 40, 0, 0, c.width, c.height, 0, 4, 4, 0);  // each texel a 4 x 4 block
        });
        std::vector<uint32_t> plain, block_first, block_last;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                plain.push_back(Rgb(20 + x, 20 + y));
                block_first.push_back(Rgb(40 + 4 * x, 40 + 4 * y));
                block_last.push_back(Rgb(43 + 4 * x, 43 + 4 * y));
            }
        EXPECT_EQ(plain, c.pixels);
        EXPECT_EQ(block_first, c.pixels);
        EXPECT_EQ(block_last, c.pixels);
        EXPECT_EQ(Rgb(20 + c.width, 20), 0u);
        EXPECT_EQ(Rgb(40 + 4 * c.width, 40), 0u);
    }
}

TEST_F(Pixels, ImagesDrawAgainAfterTheWindowIsReopened) {
    c_Image* image = LoadImage(String(Png("re.png", 2, 1, 2, {200, 10, 20, 30, 40, 250}).c_str()), 0);
    ASSERT_NE(image, nullptr);
    Frame([&] { DrawImageRect(image, 5, 5, 0, 0, 2, 1, 0); });
    int first = image->surface->seq;
    CurrentGlfwGame()->OpenWindow(640, 480, kWindowDecorated);  // a new GL context
    Frame([&] {
        Clear(0, 0, 0);
        DrawImageRect(image, 5, 5, 0, 0, 2, 1, 0);
    });
    EXPECT_NE(image->surface->seq, first);
    EXPECT_EQ(Rgb(5, 5), 0xC80A14u);
    EXPECT_EQ(Rgb(6, 5), 0x1E28FAu);
}

TEST_F(Pixels, WrittenPixelsReachTheTexturePremultiplied) {
    gxtkSurface* s = device->CreateSurface(4, 4);
    Array<int> px(16);
    for (int i = 0; i < 16; ++i) px.Set(i, static_cast<int>(0xFF00FF00u));
    device->WritePixels(s, px, 0, 0, 4, 4, 0, 4);
    px.Set(0, static_cast<int>(0xFFFF0000u));
    px.Set(1, static_cast<int>(0x80FF4020u));
    device->WritePixels(s, px, 1, 2, 2, 1, 0, 2);  // a part of one row
    Frame([&] {
        Clear(0, 0, 0);
        ValidateMatrixIfDirty();
        renderDevice->DrawSurface(s, 100, 100);
    });
    EXPECT_EQ(Rgb(100, 100), 0x00FF00u);
    EXPECT_EQ(Rgb(101, 102), 0xFF0000u);
    EXPECT_EQ(Rgb(102, 102), 0x802010u) << "premultiplied";
    EXPECT_EQ(Rgb(103, 102), 0x00FF00u);
}

// A strip of three 10 x 10 cells, red, green and blue, for 'A', 'B', 'C'.
class TextPixels : public WindowDevice {
protected:
    void SetUp() override {
        WindowDevice::SetUp();
        std::vector<int> bytes;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 30; ++x)
                bytes.insert(bytes.end(), {x < 10 ? 255 : 0, x / 10 == 1 ? 255 : 0, x >= 20 ? 255 : 0, 255});
        font = LoadFont(String(Png("abc.png", 30, 10, 6, bytes).c_str()), 65, 3, false);
        ASSERT_NE(font, nullptr);
    }
    void ExpectPixels(const std::vector<std::tuple<int, int, uint32_t>>& pixels) {
        for (auto [x, y, rgb] : pixels) EXPECT_EQ(Rgb(x, y), rgb) << x << "," << y;
    }
    c_Font* font = nullptr;
};

TEST_F(TextPixels, AlignmentPlacesTheText) {
    Frame([&] {
        Clear(0, 0, 0);
        SetFont(font);
        DrawText(String("AB"), 100, 50, 0.5f, 0);
        DrawText(String("C?A"), 300, 50, 1, 1);  // '?' has no glyph and no advance
    });
    ExpectPixels({{89, 50, 0}, {90, 50, 0xFF0000}, {99, 59, 0xFF0000}, {100, 50, 0x00FF00}, {109, 50, 0x00FF00},
                  {110, 50, 0}, {100, 60, 0}, {279, 45, 0}, {280, 40, 0x0000FF}, {290, 49, 0xFF0000},
                  {300, 45, 0}, {290, 50, 0}});
}

TEST_F(TextPixels, BlockFormAlignsTheBlockAndEachLine) {
    Array<String> lines(3);
    lines.Set(0, String("A"));
    lines.Set(1, String("AB"));
    lines.Set(2, String("ABC"));
    Frame([&] {
        Clear(0, 0, 0);
        SetFont(font);
        DrawText(lines, 200, 100, 1, 0.5f);
    });
    // Tops at 85, 95, 105; every line ends at x = 200.
    ExpectPixels({{190, 85, 0xFF0000}, {189, 85, 0}, {190, 84, 0}, {180, 95, 0xFF0000}, {199, 104, 0x00FF00},
                  {170, 105, 0xFF0000}, {199, 114, 0x0000FF}, {200, 105, 0}, {170, 115, 0}});
}

// The default font is data/kova_font.png beside the program: 96 cells of
// 10 pixels with a one-pixel border round each 8 x 16 glyph.
TEST_F(TextPixels, DefaultFontIsLoadedOnceAndTintedByTheColour) {
    Frame([&] {
        Clear(0, 0, 0);
        SetFont(nullptr);
        SetColor(255, 0, 0);
        DrawText(String("Hello"), 10, 10, 0, 0);
    });
    c_Font* font = context->font;
    ASSERT_NE(font, nullptr) << "kova_font.png beside the test";
    EXPECT_EQ(font, context->defaultFont);
    SetFont(nullptr);
    EXPECT_EQ(context->font, font) << "loaded once";
    EXPECT_EQ(font->pages[0]->width, 960);
    EXPECT_FLOAT_EQ(font->Height(), 16);
    for (int code : {32, 65, 127}) {
        c_Glyph* g = font->GetGlyph(code);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(std::vector<int>({g->x, g->y, g->width, g->height, g->xadvance}),
                  std::vector<int>({10 * (code - 32) + 1, 1, 8, 16, 8}));
    }
    EXPECT_EQ(font->GetGlyph(128), nullptr);

    Array<int> px(60 * 30);
    device->ReadPixels(px, 0, 0, 60, 30, 0, 60);
    int lit = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            uint32_t p = static_cast<uint32_t>(px[y * 60 + x]) & 0xFFFFFF;
            if (!p) continue;
            ++lit;
            EXPECT_EQ(p & 0x00FFFF, 0u) << "only red at " << x << "," << y;
            EXPECT_TRUE(x >= 10 && x < 50 && y >= 10 && y < 26) << "outside the text at " << x << "," << y;
        }
    EXPECT_GT(lit, 40);
}

}  // namespace
