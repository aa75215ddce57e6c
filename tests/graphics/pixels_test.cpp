// Pixels drawn by real OpenGL (Mesa) in a real window and read back: batches, blending,
// the scissor, the matrix, real PNG files, textures across contexts, written pixels, text.
#include "window_device.h"

namespace {

using Pixels = WindowDevice;

// All a batch holds reaches the screen and a read-back mid-batch (rows top-down, at an
// offset and a pitch): more quads than a batch takes, each kind after another, two fans
// of one size (the gap stays dark), an oval of more segments than a batch; not what Clear dropped.
TEST_F(Pixels, BatchesDrawAllTheyHoldAndClearDropsThem) {
    Array<int> read(6);
    Frame([&] {
        DrawRect(0, 0, 640, 480);
        Clear(0, 0, 0);
        device->DrawPoly(Array<float>(2050));  // more vertices than a batch: ignored
        for (int i = 0; i < 300; ++i) DrawRect(2.0f * i, 0, 1, 1);
        device->DrawPoint(5, 20);
        device->ReadPixels(read, 4, 19, 2, 2, 1, 3);
        device->DrawLine(10, 20, 20, 20);
        device->DrawPoly(ArrayOf<float, float>({30, 20, 40, 20, 30, 30}));
        for (float x : {50, 70})
            device->DrawPoly(ArrayOf<float, float>({x, 20, x + 8, 20, x + 10, 25, x + 8, 30, x, 30}));
        device->DrawOval(100, 20, 20, 10);
        device->DrawOval(-2000, 100, 5000, 5000);
    });
    ExpectPixels({{0, 0, kWhite}, {1, 0, 0}, {598, 0, kWhite}, {5, 20, kWhite}, {4, 20, 0}, {10, 20, kWhite},
                  {15, 20, kWhite}, {15, 21, 0}, {32, 22, kWhite}, {38, 28, 0}, {55, 25, kWhite}, {75, 25, kWhite},
                  {65, 25, 0}, {110, 25, kWhite}, {119, 25, kWhite}, {101, 20, 0}, {500, 102, kWhite}, {0, 140, 0},
                  {0, 160, kWhite}});
    for (int i : {1, 2, 4, 5}) EXPECT_EQ(read[i] & 0xFFFFFF, i == 5 ? int(kWhite) : 0) << "read-back word " << i;
}

TEST_F(Pixels, BlendingIsPremultipliedOrAdditiveAndEachFrameStartsAfresh) {
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
        SetAlpha(0.5f);  // and more state the next frame must not see
        SetScissor(0, 0, 1, 1);
        Translate(50, 50);
    });
    // 127 + 255 * 128/255 = 255, 64 + 128 = 192, 0 + 128 = 128, give or take the rounding.
    for (int shift : {0, 8, 16}) EXPECT_NEAR(int(Rgb(0, 0) >> shift & 255), int(0xFFC080 >> shift & 255), 1);
    ExpectPixels({{0, 1, 0x640000}, {1, 1, 0xC83200}, {2, 1, 0xFF0000}});  // additive, and saturating
    Frame([] {
        Clear(0x00336699);
        DrawRect(10, 10, 1, 1);  // white, opaque, untransformed, unclipped
        SetColor(0x12800000);    // only the low three bytes are the colour
        DrawRect(11, 10, 1, 1);
    });
    ExpectPixels({{10, 10, kWhite}, {11, 10, 0x800000}, {60, 60, 0x336699}});
}

// Truncated to whole pixels and handed on bottom-up; what was batched before
// is drawn unclipped; the full screen switches clipping off.
TEST_F(Pixels, ScissorClipsWholePixelsAndFullSizeUnclips) {
    Frame([] {
        DrawRect(300, 300, 1, 1);
        SetScissor(10.7f, 20.2f, 5.9f, 4.5f);
        DrawRect(0, 0, 640, 480);
        SetScissor(0, 0, static_cast<float>(DeviceWidth()), static_cast<float>(DeviceHeight()));
        DrawRect(200, 200, 1, 1);
    });
    ExpectPixels({{10, 20, kWhite}, {14, 23, kWhite}, {9, 20, 0}, {10, 19, 0}, {15, 23, 0}, {14, 24, 0},
                  {300, 300, kWhite}, {200, 200, kWhite}});
}

// Each row's transform, then the rectangle (1, 1, 2, 2): the pixels it covers.
TEST_F(Pixels, TransformsComposeInCallOrderAndTheStackRestoresEveryLevel) {
    Array<float> turn = ArrayOf<float, float>({0, 1, -1, 0, 300, 10});  // a quarter turn, then a move
    const std::tuple<std::function<void()>, int, int, int, int> rows[] = {  // left, top, right, bottom
        {[] { Translate(10, 20), Scale(2, 3); }, 12, 23, 16, 29},
        {[] { Scale(2, 3), Translate(10, 20); }, 22, 63, 26, 69},
        {[] { Translate(100, 100), Rotate(90); }, 101, 97, 103, 99},
        {[&] { SetMatrix(turn), Transform(turn); }, 287, 307, 289, 309},
        {[] {
             for (int i = 0; i < 33; ++i) {  // past the stack's first size
                 PushMatrix();
                 Translate(10, 0);
             }
             for (int i = 0; i < 31; ++i) PopMatrix();
         },
         21, 1, 23, 3},
    };
    Frame([&] {
        for (const auto& row : rows) {
            SetMatrix(1, 0, 0, 1, 0, 0);
            std::get<0>(row)();
            DrawRect(1, 1, 2, 2);
        }
    });
    for (const auto& [transform, left, top, right, bottom] : rows)
        ExpectPixels({{left, top, kWhite}, {right - 1, bottom - 1, kWhite}, {left - 1, top, 0}, {right, top, 0},
                      {left, top - 1, 0}, {left, bottom, 0}});
}

// Each PNG colour type through the real decoder into a texture; alpha is
// premultiplied on the way.
TEST_F(Pixels, ImagesOfEveryChannelLayoutDrawPixelExact) {
    // colour type, width, height, the PNG's bytes, the pixels drawn row by row
    const std::tuple<int, int, int, std::vector<int>, std::vector<uint32_t>> cases[] = {
        {6, 2, 2, {255, 0, 0, 128, 10, 20, 30, 0, 0, 255, 0, 255, 0, 0, 255, 64}, {0x800000, 0, 0x00FF00, 0x000040}},
        {2, 2, 2, {1, 2, 3, 250, 128, 6, 9, 8, 7, 60, 70, 80}, {0x010203, 0xFA8006, 0x090807, 0x3C4650}},
        {0, 2, 2, {77, 16, 30, 200}, {0x4D4D4D, 0x101010, 0x1E1E1E, 0xC8C8C8}},  // rows not 4-byte aligned
        {4, 2, 1, {200, 100, 16, 255}, {0x4E4E4E, 0x101010}},  // 200 * 100 / 255 = 78
    };
    for (const auto& [type, width, height, bytes, pixels] : cases) {
        SCOPED_TRACE("colour type " + std::to_string(type));
        c_Image* image = LoadImage(Png("type" + std::to_string(type) + ".png", width, height, type, bytes), 0);
        ASSERT_NE(image, nullptr);
        Frame([image, w = width, h = height] { DrawImageRect(image, 20, 20, 0, 0, w, h, 0); });
        std::vector<uint32_t> drawn;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) drawn.push_back(Rgb(20 + x, 20 + y));
        EXPECT_EQ(drawn, pixels);
    }
}

// A 4 x 2 image as a strip of two 2 x 2 frames, its handle at (1, 1); texels differ by 0x1E per channel.
TEST_F(Pixels, FramesSourceRectsHandlesAndTexturedPolysPickTheirTexels) {
    uint32_t texel[2][4];
    std::vector<int> bytes;
    for (int i = 0; i < 8; ++i) {
        texel[i / 4][i % 4] = 0x0A141E + i * 0x1E1E1E;
        bytes.insert(bytes.end(), {0x0A + i * 0x1E, 0x14 + i * 0x1E, 0x1E + i * 0x1E});
    }
    c_Image* image = LoadImage(Png("strip.png", 4, 2, 2, bytes), 2, 0);
    ASSERT_NE(image, nullptr);
    image->SetHandle(1, 1);
    Frame([&] {
        DrawImageRect(image, 11, 11, 1, 0, 1, 2, 1);  // the second column of frame 1
        DrawImageRect(image, 50, 50, 0, 0, 2, 2, 90, 2, 2, 0);  // frame 0 turned and doubled about the handle
        ValidateMatrixIfDirty();
        device->DrawTexturedPoly(ArrayOf<float, float>({100, 10, 0, 0, 102, 10, 2, 0, 102, 12, 2, 2, 100, 12, 0, 2}),
                                 image->surface, 2, 0);
    });
    ExpectPixels({{10, 10, texel[0][3]}, {10, 11, texel[1][3]}, {11, 10, 0}, {9, 10, 0}, {48, 48, texel[0][1]},
                  {51, 48, texel[1][1]}, {48, 51, texel[0][0]}, {51, 51, texel[1][0]}, {47, 48, 0}, {52, 51, 0},
                  {100, 10, texel[0][2]}, {101, 10, texel[0][3]}, {101, 11, texel[1][3]}, {102, 10, 0}});
}

// Written pixels are premultiplied, whole rows or part of them, and upload again in a new context.
TEST_F(Pixels, SurfacesUploadInEachNewContextAndTakeWrittenPixels) {
    gxtkSurface* s = device->CreateSurface(4, 4);
    Array<int> green = ArrayOf<int, uint32_t>({0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u});
    device->WritePixels(s, green, 0, 0, 4, 4, 0, 0);  // pitch 0: every row from the same four
    Array<int> part = ArrayOf<int, uint32_t>({0, 0xFFFF0000u, 0x80FF4020u, 0, 0, 0xFF0000FFu, 0xFFFFFFFFu});
    device->WritePixels(s, part, 1, 2, 2, 2, 1, 4);
    for (int window = 0; window < 2; ++window) {
        if (window == 1) CurrentGlfwGame()->OpenWindow(640, 480, kWindowDecorated);  // a new GL context
        Frame([&] { renderDevice->DrawSurface(s, 100, 100); });
        ExpectPixels({{100, 100, 0x00FF00}, {101, 102, 0xFF0000}, {102, 102, 0x802010}, {101, 103, 0x0000FF},
                      {102, 103, kWhite}, {103, 103, 0x00FF00}});
    }
}

// One line by its width, a block by its height and each line by its own width; '?' has no
// glyph and no advance. The font: three 10 x 10 cells, red, green and blue, for 'A' to 'C'.
TEST_F(Pixels, TextAlignsByLineAndByBlock) {
    std::vector<int> bytes;
    for (int i = 0; i < 300; ++i)
        for (int channel = 0; channel < 3; ++channel) bytes.push_back(i % 30 / 10 == channel ? 255 : 0);
    c_Font* font = LoadFont(Png("abc.png", 30, 10, 2, bytes), 65, 3, false);
    ASSERT_NE(font, nullptr);
    Frame([&] {
        SetFont(font);
        DrawText(String("AB"), 100, 50, 0.5f, 0);
        DrawText(String("C?A"), 300, 50, 1, 1);
        DrawText(ArrayOf<String, const char*>({"A", "AB", "ABC"}), 200, 100, 1, 0.5f);  // tops 85, 95, 105, ends 200
    });
    ExpectPixels({{89, 50, 0}, {90, 50, 0xFF0000}, {100, 50, 0x00FF00}, {110, 50, 0}, {100, 60, 0}, {279, 45, 0},
                  {280, 40, 0x0000FF}, {290, 49, 0xFF0000}, {300, 45, 0}, {290, 50, 0}, {190, 85, 0xFF0000},
                  {189, 85, 0}, {190, 84, 0}, {180, 95, 0xFF0000}, {170, 105, 0xFF0000}, {199, 114, 0x0000FF},
                  {200, 105, 0}, {170, 115, 0}});
}

}  // namespace
