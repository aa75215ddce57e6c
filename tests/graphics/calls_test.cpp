// What only the recorded GL calls show: how primitives join a batch and what
// flushes it, primitive kinds, vertex geometry, colour packing (the bytes that
// spill into alpha never reach an RGB read-back) and the magnification pass.
#include <cmath>

#include "graphics/frame_magnifier.h"
#include "recording_device.h"

namespace {

// A surface of the given size without pixels or texture.
gxtkSurface* Surface(int w, int h) {
    gxtkSurface* s = gc_new<gxtkSurface>();
    s->width = w, s->height = h, s->depth = 4, s->format = GL_RGBA;
    s->uscale = 1.0f / w, s->vscale = 1.0f / h;
    return s;
}

Array<float> Floats(std::initializer_list<float> values) {
    Array<float> array(static_cast<int>(values.size()));
    int i = 0;
    for (float v : values) array.Set(i++, v);
    return array;
}

Array<float> Verts(int count) { return Array<float>(count * 2); }

using Batching = RecordingDevice;

TEST_F(Batching, QuadsWaitForTheFlushAndAFullBufferFlushesAtTheQuadThatDoesNotFit) {
    for (int i = 0; i < 256; ++i) device->DrawRect(i, 0, 1, 1);
    EXPECT_EQ(Rec().calls.size(), 0u) << "nothing reaches GL before a flush";
    device->DrawRect(0, 5, 1, 1);
    ASSERT_EQ(Rec().Names(), "DrawElements");
    EXPECT_EQ(Rec().calls[0].args, (Args{GL_TRIANGLES, 1536, GL_UNSIGNED_SHORT}));
    EXPECT_EQ(Rec().calls[0].pointer, device->quadIndices);
    EXPECT_FLOAT_EQ(device->vertices[0].y, 5) << "the 257th quad starts the new batch";
    device->EndRender();
    EXPECT_EQ(Rec().calls[1].args[1], 6);
}

TEST_F(Batching, SurfaceAndKindChangesFlushColourMatrixAndTheSameSurfaceJoin) {
    gxtkSurface* a = Surface(8, 8);
    device->DrawPoint(1, 1);
    device->DrawPoint(2, 2);
    device->DrawLine(0, 0, 5, 5);
    device->DrawRect(0, 0, 1, 1);
    device->DrawSurface(a, 0, 0);
    device->SetColor(1, 2, 3);
    device->SetAlpha(0.5f);
    device->SetMatrix(2, 0, 0, 2, 5, 5);
    device->DrawSurface(a, 10, 0);
    device->DrawSurface(Surface(8, 8), 20, 0);
    std::vector<GlCall> arrays = Rec().Named("DrawArrays"), elements = Rec().Named("DrawElements");
    ASSERT_EQ(arrays.size(), 2u);
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(arrays[0].args, (Args{GL_POINTS, 0, 2}));
    EXPECT_EQ(arrays[1].args, (Args{GL_LINES, 0, 2}));
    EXPECT_EQ(elements[0].args[1], 6) << "the rectangle alone";
    EXPECT_EQ(elements[1].args[1], 12) << "both draws of the same surface";
}

TEST_F(Batching, ANewFrameAndClearDropTheBatchUndrawn) {
    device->DrawRect(0, 0, 10, 10);
    EXPECT_EQ(device->BeginRender(), 1) << "the device takes part in every frame";
    EXPECT_EQ(device->primCount, 0);
    device->DrawRect(0, 0, 10, 10);
    Rec().Reset();
    device->Clear(255, 51, 0);
    device->EndRender();
    ASSERT_EQ(Rec().Names(), "ClearColor Clear");
    EXPECT_EQ(Rec().calls[0].args, (Args{1.0, 0.2f, 0.0, 1.0}));
}

// Four vertices join the quads; other counts draw points, lines, triangles
// or fans; fans of one size share a batch and are drawn one by one.
TEST_F(RecordingDevice, PolygonKindsFollowTheVertexCount) {
    const std::pair<int, Args> cases[] = {{1, {GL_POINTS, 0, 1}},      {2, {GL_LINES, 0, 2}},
                                          {3, {GL_TRIANGLES, 0, 3}},   {4, {GL_TRIANGLES, 12, GL_UNSIGNED_SHORT}},
                                          {5, {GL_TRIANGLE_FAN, 0, 5}}, {1024, {GL_TRIANGLE_FAN, 0, 1024}}};
    for (const auto& [count, draw] : cases) {
        Rec().Reset();
        device->DrawRect(0, 0, 1, 1);
        device->DrawPoly(Verts(count));
        device->EndRender();
        EXPECT_EQ(Rec().calls.back().args, draw) << count << " vertices";
        EXPECT_EQ(Rec().calls.size(), count == 4 ? 1u : 2u) << count << " vertices";
    }
    Rec().Reset();
    for (int count : {5, 5, 6}) device->DrawPoly(Verts(count));
    device->EndRender();
    ASSERT_EQ(Rec().Count("DrawArrays"), 3);
    EXPECT_EQ(Rec().calls[1].args, (Args{GL_TRIANGLE_FAN, 5, 5}));
    EXPECT_EQ(Rec().calls[2].args, (Args{GL_TRIANGLE_FAN, 0, 6}));

    device->DrawRect(0, 0, 1, 1);
    for (int floats : {0, 1, 2050}) device->DrawPoly(Array<float>(floats));  // none, half a vertex, too many
    device->DrawTexturedPoly(Array<float>(1025 * 4), Surface(4, 4), 0, 0);
    EXPECT_EQ(device->primType, 4) << "the batch is kept";
    EXPECT_EQ(device->primCount, 4);
}

TEST_F(RecordingDevice, OvalVertexCountFollowsTheScaledRadiiAndStartsRightmost) {
    const float cases[][3] = {{10, 1, 12}, {34, 1, 32},    {35, 1, 32}, {36, 1, 36},
                              {5000, 1, 1024}, {0, 1, 12}, {34, 2, 68}};  // size, scale, vertices
    for (const auto& [size, scale, n] : cases) {
        device->SetMatrix(scale, 0, 0, scale, 0, 0);
        device->primCount = 0;
        device->DrawOval(0, 0, size, size);
        EXPECT_EQ(device->primType, n) << "size " << size << " scale " << scale;
        EXPECT_EQ(device->primCount, n) << "size " << size << " scale " << scale;
    }
    device->SetMatrix(1, 0, 0, 1, 0, 0);
    device->primCount = 0;
    device->DrawOval(100, 100, 40, 20);  // 28 vertices, counter-clockwise on screen
    EXPECT_FLOAT_EQ(device->vertices[0].x, 140);
    EXPECT_FLOAT_EQ(device->vertices[0].y, 110);
    EXPECT_NEAR(device->vertices[7].x, 120, 1e-4);  // a quarter turn: the top
    EXPECT_NEAR(device->vertices[7].y, 100, 1e-4);
}

TEST_F(RecordingDevice, PointsAndLinesSitOnPixelCentresAfterTheTransform) {
    device->SetMatrix(2, 0, 0, 2, 1, 0);
    device->DrawPoint(10, 10);
    EXPECT_FLOAT_EQ(device->vertices[0].x, 21.5f);
    EXPECT_FLOAT_EQ(device->vertices[0].y, 20.5f);
    device->DrawLine(0, 0, 3, 4);
    EXPECT_FLOAT_EQ(device->vertices[0].x, 1.5f);
    EXPECT_FLOAT_EQ(device->vertices[1].x, 7.5f);
    EXPECT_FLOAT_EQ(device->vertices[1].y, 8.5f);
}

TEST_F(RecordingDevice, TexelsFormedInIntegersAndScaledByTheSurface) {
    device->DrawSurfaceRect(Surface(16, 16), 5, 6, 4, 8, 4, 8);
    const gxtkVertex& corner = device->vertices[2];
    EXPECT_EQ(std::vector<float>({corner.x, corner.y, device->vertices[0].u, corner.u, corner.v}),
              std::vector<float>({9, 14, 0.25f, 0.5f, 1}));
    gxtkSurface* s = Surface(300, 200);
    s->uscale = 1.0f / 512, s->vscale = 1.0f / 256;
    device->DrawTexturedPoly(Floats({0, 0, 0, 0, 10, 0, 64, 0, 10, 10, 64, 32}), s, 64, 32);
    EXPECT_EQ(std::vector<float>({device->vertices[0].u, device->vertices[0].v, device->vertices[2].u,
                                  device->vertices[2].v}),
              std::vector<float>({64.0f / 512, 32.0f / 256, 128.0f / 512, 64.0f / 256}));
}

// The packed word holds the bytes R, G, B, A premultiplied; terms out of
// range spill into the neighbouring bytes rather than being clamped.
TEST_F(RecordingDevice, ColourPacking) {
    struct Case {
        float r, g, b, alpha;
        uint32_t packed;
    } cases[] = {
        {255, 128, 0, 0.5f, 0x7F00407Fu},
        {-1, 0, 0, 1, 0xFFFFFFFFu},
        {256, 0, 0, 1, 0xFF000100u},
        {0, 0, 300, 1, 0xFFu << 24 | 300u << 16},  // blue 300 reaches into alpha
        {std::nanf(""), 0, 0, 1, 0xFF000000u},     // a NaN term is the lowest integer
    };
    for (const Case& c : cases) {
        device->SetColor(c.r, c.g, c.b);
        device->SetAlpha(c.alpha);
        device->DrawPoint(0, 0);
        EXPECT_EQ(device->vertices[device->primCount - 1].colour, c.packed) << c.r << " " << c.b;
    }
}

// Colour packing converts floats without widening them; it must agree with
// the double conversion everywhere, the edges of the range included.
TEST(ColourTerms, FastTruncationAgreesWithThePortableOne) {
    const float values[] = {0.0f,           -0.0f,          0.99f, -0.99f, -1.0f,         255.9f,
                            256.0f,         -255.5f,        2147483520.0f, -2147483648.0f, 2147483648.0f,
                            -2147483904.0f, 1e20f,          -1e20f, std::nanf(""), HUGE_VALF,
                            -HUGE_VALF,     1e-40f,         -2147483520.0f};
    for (float v : values) EXPECT_EQ(TruncFloatToInt(v), TruncToInt(v)) << v;
    EXPECT_EQ(TruncFloatToInt(2147483648.0f), INT32_MIN);
    EXPECT_EQ(TruncFloatToInt(-2.5f), -2);
}

// The picture as large as fits, by whole factors from 2 up, centred; whole
// factors copy texels, smaller screens blend them.
TEST_F(RecordingDevice, MagnifierPlacesThePictureAndSamplesByItsFactor) {
    const std::pair<Args, Args> cases[] = {
        {{1280, 960}, {2, 0, 0, 1280, 960, GL_NEAREST, GL_NEAREST}},
        {{1920, 1080}, {2, 320, 60, 1280, 960, GL_NEAREST, GL_NEAREST}},  // 2.25 fits
        {{3840, 2160}, {4, 640, 120, 2560, 1920, GL_NEAREST, GL_NEAREST}},
        {{1366, 768}, {1.6f, 171, 0, 1024, 768, GL_LINEAR, GL_LINEAR}},
        {{640, 480}, {1, 0, 0, 640, 480, GL_NEAREST, GL_NEAREST}},
    };
    for (const auto& [target, want] : cases) {
        SCOPED_TRACE(std::to_string(target[0]) + "x" + std::to_string(target[1]));
        PicturePlacement p = PlacePicture(640, 480, int(target[0]), int(target[1]));
        Rec().Reset();
        MagnifyFrame(640, 480, int(target[0]), int(target[1]));
        Args got = {p.factor, double(p.x), double(p.y), double(p.width), double(p.height)};
        for (const GlCall& call : Rec().Named("TexParameteri"))
            if (call.args[1] == GL_TEXTURE_MIN_FILTER || call.args[1] == GL_TEXTURE_MAG_FILTER)
                got.push_back(call.args[2]);
        EXPECT_EQ(got, want);
        EXPECT_EQ(Rec().Named("CopyTexSubImage2D").at(0).args, (Args{GL_TEXTURE_2D, 0, 0, 0, 0, 0, 640, 480}));
        EXPECT_EQ(Rec().Count("DrawArrays"), 1);
    }
}

}  // namespace
