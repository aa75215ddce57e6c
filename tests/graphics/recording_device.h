// A device whose GL calls go to the recorder, ready to draw: begun, sized
// 640 x 480, white, opaque, identity matrix, with nothing recorded yet.
#pragma once

#include <gtest/gtest.h>

#include "graphics/gl_recorder.h"
#include "graphics/graphics_context.h"
#include "graphics/gxtk_graphics.h"
#include "graphics/gxtk_surface.h"

using Args = std::vector<double>;

class RecordingDevice : public ::testing::Test {
protected:
    void SetUp() override {
        saved = gl;
        gl = RecordingGl();
        device = gc_new<gxtkGraphics>();
        device->BeginRender();
        device->width = 640;
        device->height = 480;
        device->SetColor(255, 255, 255);
        device->SetAlpha(1);
        device->SetMatrix(1, 0, 0, 1, 0, 0);
        TheGlRecorder().Reset();
    }
    void TearDown() override { gl = saved; }

    GlRecorder& Rec() { return TheGlRecorder(); }
    gxtkGraphics* device = nullptr;

private:
    GlFunctions saved;
};
