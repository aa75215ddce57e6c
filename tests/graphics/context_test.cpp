// The framework's context over a recording device: the frame reset, the
// matrix composed here and sent once per change, the growing matrix stack,
// colour forms, and the scissor handed on in whole, bottom-up pixels.
#include <functional>

#include "recording_device.h"

namespace {

class Context : public RecordingDevice {
protected:
    void SetUp() override {
        RecordingDevice::SetUp();
        InitGraphicsContextGlobals();
        SetGraphicsDevice(device);
        deviceWidth = 640;
        deviceHeight = 480;
        BeginRender();
        Rec().Reset();
    }
    void TearDown() override {
        EndRender();
        RecordingDevice::TearDown();
    }
};

TEST_F(Context, BeginRenderResetsTheFrameState) {
    SetColor(1, 2, 3);
    SetAlpha(0.25f);
    SetBlend(1);
    SetScissor(5, 5, 5, 5);
    PushMatrix();
    Translate(3, 4);
    Rec().Reset();
    BeginRender();
    EXPECT_EQ(renderDevice, device);
    EXPECT_EQ(std::vector<float>({context->r, context->g, context->b, context->alpha, float(context->blend),
                                  context->scissorW, context->scissorH, float(context->matrixSp), context->tx}),
              std::vector<float>({255, 255, 255, 1, 0, 640, 480, 0, 0}));
    EXPECT_EQ(device->color, 0xFFFFFFFFu) << "white and opaque";
    EXPECT_EQ(Rec().Names(), "BlendFunc Disable") << "default blend, and no scissor at full size";
    EndRender();
    EXPECT_EQ(renderDevice, nullptr);
}

TEST_F(Context, TransformsComposeInCallOrderAndReachTheDeviceOncePerChange) {
    Array<float> m(6);
    for (int i = 0; i < 6; ++i) m.Set(i, std::vector<float>{1, 0, 0, 1, 7, 8}[i]);
    const std::pair<std::function<void()>, std::vector<float>> cases[] = {
        {[] { Translate(10, 20), Scale(2, 2); }, {1, 1, 12, 22}},
        {[] { Scale(2, 2), Translate(10, 20); }, {1, 1, 22, 42}},
        {[] { Rotate(90); }, {1, 0, 0, -1}},
        {[&] { SetMatrix(m), Transform(m); }, {0, 0, 14, 16}},
    };
    for (const auto& [transform, point] : cases) {
        SetMatrix(1, 0, 0, 1, 0, 0);
        transform();
        DrawRect(point[0], point[1], 0, 0);
        const gxtkVertex& v = device->vertices[device->primCount - 4];
        EXPECT_NEAR(v.x, point[2], 1e-5) << point[2] << "," << point[3];
        EXPECT_NEAR(v.y, point[3], 1e-5) << point[2] << "," << point[3];
    }
    SetMatrix(1, 0, 0, 1, 0, 0);
    DrawRect(0, 0, 1, 1);
    device->tx = 99;
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->tx, 99) << "an unchanged matrix is not sent again";
    Translate(0, 0);
    EXPECT_EQ(context->tformed, 0);
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->tx, 0);
}

TEST_F(Context, MatrixStackGrowsAndRestoresEveryLevel) {
    for (int i = 0; i < 33; ++i) {
        PushMatrix();
        Translate(1, 0);
    }
    EXPECT_EQ(context->matrixStack.Length(), 384);
    for (int i = 33; i > 0; --i) {
        EXPECT_FLOAT_EQ(context->tx, static_cast<float>(i));
        PopMatrix();
    }
    EXPECT_EQ(context->tformed, 0);
}

TEST_F(Context, ColourFormsAndClearLeaveTheContextAsTheySay) {
    SetColor(0x12FF8000);
    EXPECT_EQ(std::vector<float>({context->r, context->g, context->b}), std::vector<float>({255, 128, 0}));
    c_Color* c = gc_new<c_Color>();
    c->r = 1, c->g = 2, c->b = 300;
    SetColor(c);
    EXPECT_EQ(device->b, 300) << "passed on unclamped";
    Clear(0x00336699);
    Clear(c);
    EXPECT_EQ(context->r, 1) << "Clear does not touch the colour";
    std::vector<GlCall> clears = Rec().Named("ClearColor");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[0].args, (Args{0x33 / 255.0f, 0x66 / 255.0f, 0x99 / 255.0f, 1}));
    EXPECT_EQ(clears[1].args, (Args{1 / 255.0f, 2 / 255.0f, 300 / 255.0f, 1}));
}

// The context keeps the floats; the device gets truncated pixels counted
// from the bottom, and no scissor at all when it covers the whole screen.
TEST_F(Context, ScissorReachesGlBottomUpOrSwitchedOff) {
    const std::pair<std::vector<float>, Args> cases[] = {
        {{10.7f, 20.2f, 100.9f, 50.5f}, {10, 410, 100, 50}},
        {{0, 0, 640, 480}, {}},
        {{0, 0, 640, 479}, {0, 1, 640, 479}}};
    for (const auto& [box, scissor] : cases) {
        DrawRect(0, 0, 1, 1);
        Rec().Reset();
        SetScissor(box[0], box[1], box[2], box[3]);
        EXPECT_FLOAT_EQ(context->scissorW, box[2]);
        EXPECT_EQ(Rec().Names(), scissor.empty() ? "DrawElements Disable" : "DrawElements Enable Scissor");
        if (!scissor.empty()) {
            EXPECT_EQ(Rec().Named("Scissor")[0].args, scissor);
        }
    }
}

}  // namespace
