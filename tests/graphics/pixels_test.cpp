// Pixels drawn by real OpenGL in a real window and read back through the
// device: coverage, packed colours, blending, scissor, textures from real
// PNG files of every channel layout, and text.
#include "window_fixture.h"

namespace {

using Pixels = WindowDevice;

TEST_F(Pixels, RectanglesCoverWholePixelsAtIntegerAndFractionalPositions) {
    Frame([] {
        Clear(0, 0, 0);
        DrawRect(10, 10, 4, 3);
        DrawRect(30.25f, 10.25f, 2, 2);  // covers pixel centres 30.5 and 31.5
        DrawRect(50.75f, 10.75f, 2, 2);  // covers pixel centres 51.5 and 52.5
    });
    EXPECT_EQ(Rgb(10, 10), 0xFFFFFFu);
    EXPECT_EQ(Rgb(13, 12), 0xFFFFFFu);
    EXPECT_EQ(Rgb(9, 10), 0u);
    EXPECT_EQ(Rgb(14, 10), 0u);
    EXPECT_EQ(Rgb(10, 13), 0u);
    EXPECT_EQ(Rgb(30, 10), 0xFFFFFFu);
    EXPECT_EQ(Rgb(31, 11), 0xFFFFFFu);
    EXPECT_EQ(Rgb(32, 10), 0u);
    EXPECT_EQ(Rgb(50, 11), 0u);
    EXPECT_EQ(Rgb(51, 11), 0xFFFFFFu);
    EXPECT_EQ(Rgb(52, 12), 0xFFFFFFu);
    EXPECT_EQ(Rgb(53, 12), 0u);
}

TEST_F(Pixels, ReadPixelsGivesRowsTopDownAsArgb) {
    Frame([] {
        Clear(0, 0, 0);
        SetColor(255, 0, 0);
        DrawRect(0, 0, 2, 1);
        SetColor(0, 0, 255);
        DrawRect(0, 1, 2, 1);
    });
    Array<int> px(6);
    device->ReadPixels(px, 0, 0, 2, 2, 1, 3);
    EXPECT_EQ(static_cast<uint32_t>(px[1]) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(static_cast<uint32_t>(px[2]) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(static_cast<uint32_t>(px[4]) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(static_cast<uint32_t>(px[5]) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(Pixels, PackedColoursIncludingTheSpillCases) {
    Frame([] {
        Clear(0, 0, 0);
        SetColor(255, 128, 0);
        DrawRect(0, 0, 1, 1);
        SetColor(-1, 0, 0);
        DrawRect(1, 0, 1, 1);
        SetColor(256, 0, 0);
        DrawRect(2, 0, 1, 1);
        SetColor(255, 128, 0);
        SetAlpha(0.5f);
        DrawRect(3, 0, 1, 1);
    });
    EXPECT_EQ(Rgb(0, 0), 0xFF8000u);
    EXPECT_EQ(Rgb(1, 0), 0xFFFFFFu) << "red -1 sets every byte";
    EXPECT_EQ(Rgb(2, 0), 0x000100u) << "red 256 carries into green";
    EXPECT_EQ(Rgb(3, 0), 0x7F4000u) << "premultiplied over black";
}

// Allows one step of rounding in the blender.
void ExpectNear(uint32_t got, uint32_t want) {
    for (int shift = 0; shift < 24; shift += 8) {
        int g = (got >> shift) & 255, w = (want >> shift) & 255;
        EXPECT_LE(std::abs(g - w), 1) << std::hex << "got " << got << " want " << want;
    }
}

TEST_F(Pixels, PremultipliedAndAdditiveBlending) {
    Frame([] {
        Clear(255, 255, 255);
        SetColor(255, 128, 0);
        SetAlpha(0.5f);
        DrawRect(0, 0, 1, 1);
        SetAlpha(1);
        SetColor(100, 0, 0);
        DrawRect(0, 1, 3, 1);
        SetBlend(1);
        SetColor(100, 50, 0);
        DrawRect(1, 1, 1, 1);
        SetColor(200, 0, 0);
        DrawRect(2, 1, 1, 1);
        DrawRect(2, 1, 1, 1);
    });
    // 127 + 255 * 128/255 = 255, 64 + 128 = 192, 0 + 128 = 128
    ExpectNear(Rgb(0, 0), 0xFFC080);
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
    EXPECT_EQ(Rgb(9, 20), 0u);
    EXPECT_EQ(Rgb(10, 19), 0u);
    EXPECT_EQ(Rgb(15, 23), 0u);
    EXPECT_EQ(Rgb(14, 24), 0u);
    EXPECT_EQ(Rgb(200, 200), 0x00FF00u);
}

TEST_F(Pixels, RgbaImageDrawsPremultipliedAndPixelExact) {
    std::string path = Png("rgba.png", 2, 2, 6, {255, 0, 0, 128, 10, 20, 30, 0, 0, 255, 0, 255, 0, 0, 255, 64});
    c_Image* image = LoadImage(String(path.c_str()), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->flags, c_Image::WholeSurface);
    Frame([&] {
        Clear(0, 0, 0);
        DrawImageRect(image, 20, 20, 0, 0, 2, 2, 0);
        DrawImageRect(image, 40, 40, 0, 0, 2, 2, 0, 4, 4, 0);  // each texel a 4 x 4 block
    });
    EXPECT_EQ(Rgb(20, 20), 0x800000u) << "255 * 128 / 255";
    EXPECT_EQ(Rgb(21, 20), 0u) << "fully transparent";
    EXPECT_EQ(Rgb(20, 21), 0x00FF00u);
    EXPECT_EQ(Rgb(21, 21), 0x000040u);
    EXPECT_EQ(Rgb(22, 20), 0u);
    EXPECT_EQ(Rgb(40, 40), 0x800000u);
    EXPECT_EQ(Rgb(43, 43), 0x800000u);
    EXPECT_EQ(Rgb(44, 43), 0u);
    EXPECT_EQ(Rgb(47, 44), 0x000040u);
    EXPECT_EQ(Rgb(48, 48), 0u);
}

TEST_F(Pixels, RgbGreyAndGreyAlphaImages) {
    c_Image* rgb = LoadImage(String(Png("rgb.png", 2, 1, 2, {1, 2, 3, 250, 128, 6}).c_str()), 0);
    c_Image* grey = LoadImage(String(Png("grey.png", 2, 1, 0, {77, 16}).c_str()), 0);
    c_Image* grey_alpha = LoadImage(String(Png("ga.png", 2, 1, 4, {200, 100, 16, 255}).c_str()), 0);
    ASSERT_TRUE(rgb && grey && grey_alpha);
    EXPECT_EQ(rgb->surface->depth, 3);
    EXPECT_EQ(grey->surface->depth, 1);
    EXPECT_EQ(grey_alpha->surface->depth, 2);
    Frame([&] {
        Clear(0, 0, 0);
        DrawImageRect(rgb, 0, 0, 0, 0, 2, 1, 0);
        DrawImageRect(grey, 0, 1, 0, 0, 2, 1, 0);
        DrawImageRect(grey_alpha, 0, 2, 0, 0, 2, 1, 0);
    });
    EXPECT_EQ(Rgb(0, 0), 0x010203u);
    EXPECT_EQ(Rgb(1, 0), 0xFA8006u);
    EXPECT_EQ(Rgb(0, 1), 0x4D4D4Du);
    EXPECT_EQ(Rgb(1, 1), 0x101010u);
    EXPECT_EQ(Rgb(0, 2), 0x4E4E4Eu) << "200 * 100 / 255 = 78";
    EXPECT_EQ(Rgb(1, 2), 0x101010u);
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

TEST_F(Pixels, WrittenPixelsReachTheTexture) {
    gxtkSurface* s = device->CreateSurface(4, 4);
    Array<int> px(16);
    for (int i = 0; i < 16; ++i) px.Set(i, static_cast<int>(0xFF00FF00u));
    device->WritePixels(s, px, 0, 0, 4, 4, 0, 4);
    px.Set(0, static_cast<int>(0xFFFF0000u));
    device->WritePixels(s, px, 1, 2, 2, 1, 0, 2);  // a part of one row
    Frame([&] {
        Clear(0, 0, 0);
        ValidateMatrixIfDirty();
        renderDevice->DrawSurface(s, 100, 100);
    });
    EXPECT_EQ(Rgb(100, 100), 0x00FF00u);
    EXPECT_EQ(Rgb(101, 102), 0xFF0000u);
    EXPECT_EQ(Rgb(102, 102), 0x00FF00u);
}

// A strip of three 10 x 10 cells, red, green and blue, for 'A', 'B', 'C'.
class TextPixels : public WindowDevice {
protected:
    void SetUp() override {
        WindowDevice::SetUp();
        std::vector<int> bytes;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 30; ++x) {
                int cell = x / 10;
                bytes.insert(bytes.end(), {cell == 0 ? 255 : 0, cell == 1 ? 255 : 0, cell == 2 ? 255 : 0, 255});
            }
        font = LoadFont(String(Png("abc.png", 30, 10, 6, bytes).c_str()), 65, 3, false);
        ASSERT_NE(font, nullptr);
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
    EXPECT_EQ(Rgb(89, 50), 0u);
    EXPECT_EQ(Rgb(90, 50), 0xFF0000u);
    EXPECT_EQ(Rgb(99, 59), 0xFF0000u);
    EXPECT_EQ(Rgb(100, 50), 0x00FF00u);
    EXPECT_EQ(Rgb(109, 50), 0x00FF00u);
    EXPECT_EQ(Rgb(110, 50), 0u);
    EXPECT_EQ(Rgb(100, 60), 0u);
    EXPECT_EQ(Rgb(279, 45), 0u);
    EXPECT_EQ(Rgb(280, 40), 0x0000FFu);
    EXPECT_EQ(Rgb(290, 49), 0xFF0000u);
    EXPECT_EQ(Rgb(300, 45), 0u);
    EXPECT_EQ(Rgb(290, 50), 0u);
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
    EXPECT_EQ(Rgb(190, 85), 0xFF0000u);
    EXPECT_EQ(Rgb(189, 85), 0u);
    EXPECT_EQ(Rgb(190, 84), 0u);
    EXPECT_EQ(Rgb(180, 95), 0xFF0000u);
    EXPECT_EQ(Rgb(199, 104), 0x00FF00u);
    EXPECT_EQ(Rgb(170, 105), 0xFF0000u);
    EXPECT_EQ(Rgb(199, 114), 0x0000FFu);
    EXPECT_EQ(Rgb(200, 105), 0u);
    EXPECT_EQ(Rgb(170, 115), 0u);
}

TEST_F(TextPixels, DefaultFontIsTintedByTheColour) {
    Frame([&] {
        Clear(0, 0, 0);
        SetFont(nullptr);
        SetColor(255, 0, 0);
        DrawText(String("Hello"), 10, 10, 0, 0);
    });
    ASSERT_NE(context->defaultFont, nullptr) << "kova_font.png beside the test";
    EXPECT_EQ(context->font, context->defaultFont);
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
