// The device's GL calls, seen through the recording table: batching and
// every flush point, primitive kinds, colour packing, the half-pixel offset,
// state changes, read-back and the magnification pass.
#include <cmath>

#include "graphics/frame_magnifier.h"
#include "recording_fixture.h"

namespace {

using Batching = RecordingDevice;

TEST_F(Batching, TwoRectsGiveOneIndexedDrawOfTwelve) {
    device->DrawRect(0, 0, 10, 10);
    device->DrawRect(20, 0, 10, 10);
    EXPECT_EQ(Rec().calls.size(), 0u) << "nothing reaches GL before a flush";
    device->EndRender();
    ASSERT_EQ(Rec().Names(), "DrawElements");
    const GlCall& draw = Rec().calls[0];
    EXPECT_EQ(draw.args[0], GL_TRIANGLES);
    EXPECT_EQ(draw.args[1], 12);
    EXPECT_EQ(draw.args[2], GL_UNSIGNED_SHORT);
    EXPECT_EQ(draw.pointer, device->quadIndices);
}

TEST_F(Batching, QuadIndicesShareTheDiagonalOfCornersZeroAndTwo) {
    const uint16_t first[] = {0, 1, 2, 0, 2, 3};
    const uint16_t last[] = {1020, 1021, 1022, 1020, 1022, 1023};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(device->quadIndices[i], first[i]);
        EXPECT_EQ(device->quadIndices[255 * 6 + i], last[i]);
    }
}

TEST_F(Batching, FullBufferFlushesAtTheQuadThatDoesNotFit) {
    for (int i = 0; i < 256; ++i) device->DrawRect(i, 0, 1, 1);
    EXPECT_EQ(Rec().Count("DrawElements"), 0);
    EXPECT_EQ(device->primCount, 1024);
    device->DrawRect(0, 5, 1, 1);
    ASSERT_EQ(Rec().Count("DrawElements"), 1);
    EXPECT_EQ(Rec().calls[0].args[1], 1536);
    EXPECT_EQ(device->primCount, 4);
    EXPECT_FLOAT_EQ(device->vertices[0].y, 5) << "the 257th quad starts the new batch";
    device->EndRender();
    ASSERT_EQ(Rec().Count("DrawElements"), 2);
    EXPECT_EQ(Rec().calls[1].args[1], 6);
}

TEST_F(Batching, SurfaceChangesFlushAndTheSameSurfaceJoins) {
    gxtkSurface* a = Surface(8, 8);
    gxtkSurface* b = Surface(8, 8);
    device->DrawRect(0, 0, 1, 1);
    device->DrawSurface(a, 0, 0);
    ASSERT_EQ(Rec().Names(), "DrawElements") << "the rectangles go first, untextured";
    EXPECT_EQ(Rec().calls[0].args[1], 6);
    device->DrawSurface(a, 10, 0);
    EXPECT_EQ(Rec().calls.size(), 1u);
    device->DrawSurface(b, 20, 0);
    EXPECT_EQ(Rec().Names(), "DrawElements Enable DrawElements Disable");
    EXPECT_EQ(Rec().calls[1].args[0], GL_TEXTURE_2D);
    EXPECT_EQ(Rec().calls[2].args[1], 12);
    EXPECT_EQ(Rec().calls[3].args[0], GL_TEXTURE_2D);
    EXPECT_EQ(device->primSurface, b);
}

TEST_F(Batching, PrimitiveKindChangeFlushes) {
    device->DrawPoint(1, 1);
    device->DrawPoint(2, 2);
    device->DrawLine(0, 0, 5, 5);
    device->DrawRect(0, 0, 1, 1);
    device->EndRender();
    ASSERT_EQ(Rec().Names(), "DrawArrays DrawArrays DrawElements");
    EXPECT_EQ(Rec().calls[0].args, (std::vector<double>{GL_POINTS, 0, 2}));
    EXPECT_EQ(Rec().calls[1].args, (std::vector<double>{GL_LINES, 0, 2}));
}

TEST_F(Batching, ClearDropsTheBatchUndrawn) {
    device->DrawRect(0, 0, 10, 10);
    device->DrawRect(0, 0, 10, 10);
    device->Clear(255, 51, 0);
    device->EndRender();
    ASSERT_EQ(Rec().Names(), "ClearColor Clear");
    EXPECT_FLOAT_EQ(Rec().calls[0].args[0], 1.0f);
    EXPECT_FLOAT_EQ(Rec().calls[0].args[1], 0.2f);
    EXPECT_FLOAT_EQ(Rec().calls[0].args[2], 0.0f);
    EXPECT_FLOAT_EQ(Rec().calls[0].args[3], 1.0f);
    EXPECT_EQ(Rec().calls[1].args[0], GL_COLOR_BUFFER_BIT);
}

TEST_F(Batching, ColourAlphaAndMatrixNeverFlush) {
    device->DrawRect(0, 0, 1, 1);
    device->SetColor(1, 2, 3);
    device->SetAlpha(0.5f);
    device->SetMatrix(2, 0, 0, 2, 5, 5);
    device->DrawRect(0, 0, 1, 1);
    EXPECT_EQ(Rec().calls.size(), 0u);
    EXPECT_EQ(device->primCount, 8);
    EXPECT_NE(device->vertices[0].colour, device->vertices[4].colour);
}

using Polygons = RecordingDevice;

Array<float> Verts(int count) {
    Array<float> v(count * 2);
    for (int i = 0; i < count; ++i) {
        v.Set(2 * i, static_cast<float>(i));
        v.Set(2 * i + 1, static_cast<float>(i * 2));
    }
    return v;
}

TEST_F(Polygons, FourVerticesJoinTheQuads) {
    device->DrawRect(0, 0, 1, 1);
    device->DrawPoly(Verts(4));
    device->EndRender();
    ASSERT_EQ(Rec().Names(), "DrawElements");
    EXPECT_EQ(Rec().calls[0].args[1], 12);
}

TEST_F(Polygons, KindFollowsTheVertexCount) {
    device->DrawPoly(Verts(1));
    device->DrawPoly(Verts(2));
    device->DrawPoly(Verts(3));
    device->DrawPoly(Verts(5));
    device->DrawPoly(Verts(5));
    device->DrawPoly(Verts(6));
    device->EndRender();
    ASSERT_EQ(Rec().Names(), "DrawArrays DrawArrays DrawArrays DrawArrays DrawArrays DrawArrays");
    EXPECT_EQ(Rec().calls[0].args, (std::vector<double>{GL_POINTS, 0, 1}));
    EXPECT_EQ(Rec().calls[1].args, (std::vector<double>{GL_LINES, 0, 2}));
    EXPECT_EQ(Rec().calls[2].args, (std::vector<double>{GL_TRIANGLES, 0, 3}));
    EXPECT_EQ(Rec().calls[3].args, (std::vector<double>{GL_TRIANGLE_FAN, 0, 5}));
    EXPECT_EQ(Rec().calls[4].args, (std::vector<double>{GL_TRIANGLE_FAN, 5, 5}));
    EXPECT_EQ(Rec().calls[5].args, (std::vector<double>{GL_TRIANGLE_FAN, 0, 6}));
}

TEST_F(Polygons, EmptyAndOversizedDrawNothingAndKeepTheBatch) {
    device->DrawRect(0, 0, 1, 1);
    device->DrawPoly(Array<float>());
    device->DrawPoly(Array<float>(1));  // half a vertex
    device->DrawPoly(Verts(1025));
    Array<float> textured(1025 * 4);
    device->DrawTexturedPoly(textured, Surface(4, 4), 0, 0);
    EXPECT_EQ(device->primType, 4);
    EXPECT_EQ(device->primCount, 4);
    EXPECT_EQ(Rec().calls.size(), 0u);
    device->DrawPoly(Verts(1024));
    EXPECT_EQ(device->primCount, 1024);
}

TEST_F(Polygons, TexturedVerticesScaleTexelsByTheSurface) {
    gxtkSurface* s = Surface(300, 200);
    s->uscale = 1.0f / 512;
    s->vscale = 1.0f / 256;
    Array<float> v(12);
    const float data[] = {0, 0, 0, 0, 10, 0, 64, 0, 10, 10, 64, 32};
    for (int i = 0; i < 12; ++i) v.Set(i, data[i]);
    device->DrawTexturedPoly(v, s, 64, 32);
    EXPECT_EQ(device->primType, 3);
    EXPECT_FLOAT_EQ(device->vertices[0].u, 64.0f / 512);
    EXPECT_FLOAT_EQ(device->vertices[0].v, 32.0f / 256);
    EXPECT_FLOAT_EQ(device->vertices[2].u, 128.0f / 512);
    EXPECT_FLOAT_EQ(device->vertices[2].v, 64.0f / 256);
}

using Geometry = RecordingDevice;

TEST_F(Geometry, OvalVertexCountFollowsTheRadii) {
    struct Case {
        float size;
        int n;
    } cases[] = {{10, 12}, {34, 32}, {35, 32}, {36, 36}, {5000, 1024}, {0, 12}};
    for (const Case& c : cases) {
        device->DrawOval(0, 0, c.size, c.size);
        EXPECT_EQ(device->primType, c.n) << "size " << c.size;
        EXPECT_EQ(device->primCount, c.n) << "size " << c.size;
        device->primCount = 0;
    }
    device->SetMatrix(2, 0, 0, 2, 0, 0);
    device->DrawOval(0, 0, 34, 34);
    EXPECT_EQ(device->primType, 68) << "the scaled radii count";
}

TEST_F(Geometry, OvalStartsRightmostAndRunsCounterClockwise) {
    device->DrawOval(100, 100, 40, 20);  // n = 28
    ASSERT_EQ(device->primCount, 28);
    EXPECT_FLOAT_EQ(device->vertices[0].x, 140);
    EXPECT_FLOAT_EQ(device->vertices[0].y, 110);
    EXPECT_NEAR(device->vertices[7].x, 120, 1e-4);  // a quarter turn: the top
    EXPECT_NEAR(device->vertices[7].y, 100, 1e-4);
    device->EndRender();
    EXPECT_EQ(Rec().calls[0].args, (std::vector<double>{GL_TRIANGLE_FAN, 0, 28}));
}

TEST_F(Geometry, PointsAndLinesSitOnPixelCentresRectsDoNot) {
    device->DrawPoint(10, 10);
    EXPECT_FLOAT_EQ(device->vertices[0].x, 10.5f);
    EXPECT_FLOAT_EQ(device->vertices[0].y, 10.5f);
    device->SetMatrix(2, 0, 0, 2, 1, 0);
    device->DrawPoint(10, 10);  // the offset comes after the transform
    EXPECT_FLOAT_EQ(device->vertices[1].x, 21.5f);
    EXPECT_FLOAT_EQ(device->vertices[1].y, 20.5f);
    device->DrawLine(0, 0, 3, 4);
    EXPECT_FLOAT_EQ(device->vertices[0].x, 1.5f);
    EXPECT_FLOAT_EQ(device->vertices[1].x, 7.5f);
    EXPECT_FLOAT_EQ(device->vertices[1].y, 8.5f);
    device->SetMatrix(1, 0, 0, 1, 0, 0);
    device->DrawRect(10, 10, 1, 1);
    const float corners[4][2] = {{10, 10}, {11, 10}, {11, 11}, {10, 11}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(device->vertices[i].x, corners[i][0]);
        EXPECT_FLOAT_EQ(device->vertices[i].y, corners[i][1]);
    }
}

TEST_F(Geometry, SurfaceRectTexelsFormedInIntegers) {
    gxtkSurface* s = Surface(16, 16);
    device->DrawSurfaceRect(s, 5, 6, 4, 8, 4, 8);
    const float expect[4][4] = {{5, 6, 0.25f, 0.5f}, {9, 6, 0.5f, 0.5f}, {9, 14, 0.5f, 1}, {5, 14, 0.25f, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(device->vertices[i].x, expect[i][0]);
        EXPECT_FLOAT_EQ(device->vertices[i].y, expect[i][1]);
        EXPECT_FLOAT_EQ(device->vertices[i].u, expect[i][2]);
        EXPECT_FLOAT_EQ(device->vertices[i].v, expect[i][3]);
    }
}

using Colour = RecordingDevice;

TEST_F(Colour, PacksPremultipliedBytes) {
    unsigned char c[4];
    device->SetColor(255, 128, 0);
    device->SetAlpha(0.5f);
    device->DrawRect(0, 0, 1, 1);
    ColourBytes(3, c);
    EXPECT_EQ(c[0], 127);
    EXPECT_EQ(c[1], 64);
    EXPECT_EQ(c[2], 0);
    EXPECT_EQ(c[3], 127);
}

TEST_F(Colour, OutOfRangeTermsSpillIntoNeighbouringBytes) {
    unsigned char c[4];
    device->SetColor(-1, 0, 0);
    device->DrawPoint(0, 0);
    ColourBytes(0, c);
    EXPECT_EQ(c[0], 255);
    EXPECT_EQ(c[1], 255);
    EXPECT_EQ(c[2], 255);
    EXPECT_EQ(c[3], 255);
    device->SetColor(256, 0, 0);
    device->DrawPoint(0, 0);
    ColourBytes(1, c);
    EXPECT_EQ(c[0], 0);
    EXPECT_EQ(c[1], 1);
    EXPECT_EQ(c[2], 0);
    EXPECT_EQ(c[3], 255);
    device->SetColor(0, 0, 300);  // blue 300 reaches into alpha
    EXPECT_EQ(device->color, 0xFFu << 24 | 300u << 16);
    device->SetColor(std::nanf(""), 0, 0);  // a NaN term is the lowest integer
    EXPECT_EQ(device->color, 0xFF000000u);
}

// Colour packing converts floats without widening them; it must agree with
// the double conversion everywhere, the edges of the range included.
TEST(ColourTerms, FastTruncationAgreesWithThePortableOne) {
    const float values[] = {0.0f,        -0.0f,        0.99f,         -0.99f,        -1.0f,
                            255.9f,      256.0f,       -255.5f,       2147483520.0f, -2147483648.0f,
                            2147483648.0f, -2147483904.0f, 1e20f,     -1e20f,        std::nanf(""),
                            HUGE_VALF,   -HUGE_VALF,   1e-40f,        -2147483520.0f};
    for (float v : values) EXPECT_EQ(TruncFloatToInt(v), TruncToInt(v)) << v;
    EXPECT_EQ(TruncFloatToInt(2147483648.0f), INT32_MIN);
    EXPECT_EQ(TruncFloatToInt(-2.5f), -2);
}

using State = RecordingDevice;

TEST_F(State, BeginRenderPointsTheArraysAtTheBatch) {
    device->DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->BeginRender(), 1);
    EXPECT_EQ(device->primCount, 0) << "a new frame starts with an empty batch";
    EXPECT_EQ(Rec().Names(),
              "Viewport MatrixMode LoadIdentity Ortho MatrixMode LoadIdentity EnableClientState VertexPointer "
              "EnableClientState TexCoordPointer EnableClientState ColorPointer Enable BlendFunc Disable");
    auto at = [&](int i) -> const GlCall& { return Rec().calls[i]; };
    EXPECT_EQ(at(1).args[0], GL_PROJECTION);
    EXPECT_EQ(at(4).args[0], GL_MODELVIEW);
    EXPECT_EQ(at(7).args, (std::vector<double>{2, GL_FLOAT, 20}));
    EXPECT_EQ(at(7).pointer, &device->vertices[0].x);
    EXPECT_EQ(at(9).args, (std::vector<double>{2, GL_FLOAT, 20}));
    EXPECT_EQ(at(9).pointer, &device->vertices[0].u);
    EXPECT_EQ(at(11).args, (std::vector<double>{4, GL_UNSIGNED_BYTE, 20}));
    EXPECT_EQ(at(11).pointer, &device->vertices[0].colour);
    EXPECT_EQ(at(12).args[0], GL_BLEND);
    EXPECT_EQ(at(13).args, (std::vector<double>{GL_ONE, GL_ONE_MINUS_SRC_ALPHA}));
    EXPECT_EQ(at(14).args[0], GL_TEXTURE_2D);
}

TEST_F(State, BlendFlushesAndSelectsAdditiveOnlyForOne) {
    device->DrawRect(0, 0, 1, 1);
    device->SetBlend(1);
    device->SetBlend(2);
    device->SetBlend(0);
    ASSERT_EQ(Rec().Names(), "DrawElements BlendFunc BlendFunc BlendFunc");
    EXPECT_EQ(Rec().calls[1].args, (std::vector<double>{GL_ONE, GL_ONE}));
    EXPECT_EQ(Rec().calls[2].args, (std::vector<double>{GL_ONE, GL_ONE_MINUS_SRC_ALPHA}));
    EXPECT_EQ(Rec().calls[3].args, (std::vector<double>{GL_ONE, GL_ONE_MINUS_SRC_ALPHA}));
}

TEST_F(State, ScissorFlushesAndFlipsToBottomUpRows) {
    device->DrawRect(0, 0, 1, 1);
    device->SetScissor(10, 20, 100, 50);
    device->SetScissor(0, 0, 640, 480);
    device->SetScissor(0, 0, 640, 479);
    ASSERT_EQ(Rec().Names(), "DrawElements Enable Scissor Disable Enable Scissor");
    EXPECT_EQ(Rec().calls[1].args[0], GL_SCISSOR_TEST);
    EXPECT_EQ(Rec().calls[2].args, (std::vector<double>{10, 410, 100, 50}));
    EXPECT_EQ(Rec().calls[3].args[0], GL_SCISSOR_TEST);
    EXPECT_EQ(Rec().calls[5].args, (std::vector<double>{0, 1, 640, 479}));
}

TEST_F(State, ReadPixelsFlushesAndReturnsRowsTopDown) {
    device->DrawRect(0, 0, 1, 1);
    Array<int> pixels(12);
    for (int i = 0; i < 12; ++i) pixels.Set(i, -1);
    device->ReadPixels(pixels, 1, 2, 3, 2, 1, 5);
    ASSERT_EQ(Rec().Names(), "DrawElements ReadPixels");
    EXPECT_EQ(Rec().calls[1].args, (std::vector<double>{1, 476, 3, 2, GL_BGRA, GL_UNSIGNED_BYTE}));
    // The recorder's buffer holds 0 1 2 in GL's bottom row, 3 4 5 above it.
    const int expect[12] = {-1, 3, 4, 5, -1, -1, 0, 1, 2, -1, -1, -1};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(pixels[i], expect[i]) << "element " << i;
}

using Magnifier = RecordingDevice;

// The picture as large as fits, by whole factors from 2 up, centred; whole
// factors copy texels, smaller screens blend them.
TEST_F(Magnifier, PlacesThePictureAndSamplesByItsFactor) {
    struct Case {
        int target_width, target_height;
        PicturePlacement placement;
        GLint filter;
    } cases[] = {
        {1280, 960, {2, 0, 0, 1280, 960}, GL_NEAREST},      // a window of twice the size
        {1920, 1080, {2, 320, 60, 1280, 960}, GL_NEAREST},  // 2.25 fits
        {3840, 2160, {4, 640, 120, 2560, 1920}, GL_NEAREST},
        {1366, 768, {1.6f, 171, 0, 1024, 768}, GL_LINEAR},
        {640, 480, {1, 0, 0, 640, 480}, GL_NEAREST},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.target_width) + "x" + std::to_string(c.target_height));
        PicturePlacement p = PlacePicture(640, 480, c.target_width, c.target_height);
        EXPECT_EQ(std::vector<double>({p.factor, double(p.x), double(p.y), double(p.width), double(p.height)}),
                  std::vector<double>({c.placement.factor, double(c.placement.x), double(c.placement.y),
                                       double(c.placement.width), double(c.placement.height)}));
        Rec().Reset();
        MagnifyFrame(640, 480, c.target_width, c.target_height);
        std::vector<GlCall> copies = Rec().Named("CopyTexSubImage2D");
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(copies[0].args, (std::vector<double>{GL_TEXTURE_2D, 0, 0, 0, 0, 0, 640, 480}));
        std::vector<double> filters;
        for (const GlCall& call : Rec().Named("TexParameteri"))
            if (call.args[1] == GL_TEXTURE_MIN_FILTER || call.args[1] == GL_TEXTURE_MAG_FILTER)
                filters.push_back(call.args[2]);
        EXPECT_EQ(filters, (std::vector<double>{double(c.filter), double(c.filter)}));
        EXPECT_EQ(Rec().Count("DrawArrays"), 1);
    }
}

}  // namespace
