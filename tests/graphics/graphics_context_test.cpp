// The framework's context: the frame reset, colour forms, scissor, the
// matrix composed here and sent to the device once per change, the growing
// matrix stack.
#include <cmath>

#include "recording_fixture.h"

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
        TheGlRecorder().Reset();
    }
    void TearDown() override {
        EndRender();
        RecordingDevice::TearDown();
    }
    // Where the current matrix puts (x, y), read from the batched vertex.
    void Mapped(float x, float y, float* ox, float* oy) {
        DrawRect(x, y, 0, 0);
        *ox = device->vertices[device->primCount - 4].x;
        *oy = device->vertices[device->primCount - 4].y;
    }
};

TEST_F(Context, BeginRenderResetsTheFrameState) {
    SetColor(1, 2, 3);
    SetAlpha(0.25f);
    SetBlend(1);
    SetScissor(5, 5, 5, 5);
    Translate(3, 4);
    PushMatrix();
    TheGlRecorder().Reset();
    BeginRender();
    EXPECT_EQ(renderDevice, device);
    EXPECT_EQ(context->matrixSp, 0);
    EXPECT_EQ(context->tformed, 0);
    EXPECT_EQ(context->matDirty, 1);
    EXPECT_EQ(context->r, 255);
    EXPECT_EQ(context->alpha, 1);
    EXPECT_EQ(device->color, 0xFFFFFFFFu);
    EXPECT_EQ(context->blend, 0);
    EXPECT_EQ(context->scissorW, 640);
    EXPECT_EQ(context->scissorH, 480);
    EXPECT_EQ(Rec().Names(), "BlendFunc Disable") << "default blend, and no scissor at full size";
    EndRender();
    EXPECT_EQ(renderDevice, nullptr);
}

TEST_F(Context, MatrixReachesTheDeviceOncePerChange) {
    device->tx = 99;  // whatever the device held before
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->tx, 0) << "the first draw sends the identity";
    EXPECT_EQ(context->matDirty, 0);
    device->tx = 99;
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->tx, 99) << "an unchanged matrix is not sent again";
    Translate(0, 0);
    EXPECT_EQ(context->tformed, 0);
    EXPECT_EQ(context->matDirty, 1);
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->tx, 0);
}

TEST_F(Context, TransformsComposeInCallOrder) {
    float x, y;
    Translate(10, 20);
    Scale(2, 2);
    Mapped(1, 1, &x, &y);
    EXPECT_FLOAT_EQ(x, 12);
    EXPECT_FLOAT_EQ(y, 22);
    SetMatrix(1, 0, 0, 1, 0, 0);
    Scale(2, 2);
    Translate(10, 20);
    Mapped(1, 1, &x, &y);
    EXPECT_FLOAT_EQ(x, 22);
    EXPECT_FLOAT_EQ(y, 42);
    SetMatrix(1, 0, 0, 1, 0, 0);
    Rotate(90);
    Mapped(1, 0, &x, &y);
    EXPECT_NEAR(x, 0, 1e-6);
    EXPECT_NEAR(y, -1, 1e-6);
    Array<float> m(6);
    const float values[] = {1, 0, 0, 1, 7, 8};
    for (int i = 0; i < 6; ++i) m.Set(i, values[i]);
    SetMatrix(m);
    Transform(m);
    Mapped(0, 0, &x, &y);
    EXPECT_FLOAT_EQ(x, 14);
    EXPECT_FLOAT_EQ(y, 16);
}

TEST_F(Context, MatrixStackGrowsAndRestoresEveryLevel) {
    for (int i = 0; i < 33; ++i) {
        PushMatrix();
        Translate(1, 0);
    }
    EXPECT_EQ(context->matrixStack.Length(), 384);
    EXPECT_EQ(context->matrixSp, 33 * 6);
    for (int i = 33; i > 0; --i) {
        EXPECT_FLOAT_EQ(context->tx, static_cast<float>(i));
        PopMatrix();
    }
    EXPECT_EQ(context->tx, 0);
    EXPECT_EQ(context->tformed, 0);
    BeginRender();
    EXPECT_EQ(context->matrixStack.Length(), 384) << "the stack keeps its grown size";
}

TEST_F(Context, ColourFormsAndClearLeaveTheContextAsTheySay) {
    SetColor(0x12FF8000);
    EXPECT_EQ(context->r, 255);
    EXPECT_EQ(context->g, 128);
    EXPECT_EQ(context->b, 0);
    c_Color* c = gc_new<c_Color>();
    c->r = 1;
    c->g = 2;
    c->b = 300;
    SetColor(c);
    EXPECT_EQ(context->b, 300) << "passed on unclamped";
    EXPECT_EQ(device->b, 300);
    Clear(0x00336699);
    Clear(c);
    EXPECT_EQ(context->r, 1) << "Clear does not touch the colour";
    std::vector<GlCall> clears = Rec().Named("ClearColor");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_FLOAT_EQ(clears[0].args[0], 0x33 / 255.0f);
    EXPECT_FLOAT_EQ(clears[0].args[2], 0x99 / 255.0f);
}

TEST_F(Context, ScissorKeepsFloatsAndGivesTheDeviceTruncatedInts) {
    SetScissor(10.7f, 20.2f, 100.9f, 50.5f);
    EXPECT_FLOAT_EQ(context->scissorX, 10.7f);
    EXPECT_FLOAT_EQ(context->scissorW, 100.9f);
    ASSERT_EQ(Rec().Count("Scissor"), 1);
    EXPECT_EQ(Rec().Named("Scissor")[0].args, (std::vector<double>{10, 480 - 20 - 50, 100, 50}));
}

}  // namespace
