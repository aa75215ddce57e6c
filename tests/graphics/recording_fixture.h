// A device whose GL calls go to the recorder, ready to draw: begun, sized
// 640 x 480, white, opaque, identity matrix.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "graphics/gl_recorder.h"
#include "graphics/graphics_context.h"
#include "graphics/gxtk_graphics.h"
#include "graphics/gxtk_surface.h"

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

    // A surface with the given size and no pixels; no texture is made while
    // no window exists.
    gxtkSurface* Surface(int w, int h) {
        gxtkSurface* s = gc_new<gxtkSurface>();
        s->width = w;
        s->height = h;
        s->depth = 4;
        s->format = GL_RGBA;
        s->uscale = 1.0f / w;
        s->vscale = 1.0f / h;
        return s;
    }

    // The colour bytes R, G, B, A of a batched vertex.
    void ColourBytes(int vertex, unsigned char out[4]) {
        std::memcpy(out, &device->vertices[vertex].colour, 4);
    }

    gxtkGraphics* device = nullptr;

private:
    GlFunctions saved;
};
