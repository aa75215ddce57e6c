// The show without a window: the demo's globals, a device and a host object
// set up the way the framework's start-up and OnCreate leave them (no font,
// no music), a frame rendered through the device's and the framework's
// render bracket, and a GL table that copies out every vertex the batch
// draws, with whether a texture was bound.
#pragma once

#include <vector>

#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "demo/my_app.h"
#include "graphics/gl_functions.h"
#include "graphics/graphics_context.h"
#include "host/rt_game.h"

struct CapturedVertex {
    gxtkVertex vertex;
    bool textured;
};

struct VertexCapture {
    const gxtkVertex* vertices = nullptr;
    bool texturing = false;
    std::vector<CapturedVertex> drawn;
};

inline VertexCapture& CapturedVertices() {
    static VertexCapture capture;
    return capture;
}

inline GlFunctions CapturingGl() {
    GlFunctions f = NullGl();
    f.VertexPointer = [](GLint, GLenum, GLsizei, const void* p) {
        CapturedVertices().vertices = static_cast<const gxtkVertex*>(p);
    };
    f.Enable = [](GLenum cap) {
        if (cap == GL_TEXTURE_2D) CapturedVertices().texturing = true;
    };
    f.Disable = [](GLenum cap) {
        if (cap == GL_TEXTURE_2D) CapturedVertices().texturing = false;
    };
    f.DrawElements = [](GLenum, GLsizei count, GLenum, const void*) {
        VertexCapture& c = CapturedVertices();
        for (int i = 0; i < count / 6 * 4; ++i) c.drawn.push_back({c.vertices[i], c.texturing});
    };
    return f;
}

// Sets up the show on the GL table `table` and returns its application.
inline c_MyApp* StartShowWithoutWindow(const GlFunctions& table) {
    gl = table;
    InitGraphicsContextGlobals();
    RegisterGraphicsRoots();
    InitDemoGlobals();
    deviceWidth = 640;
    deviceHeight = 480;
    gc_assign(graphicsDevice, gc_new<gxtkGraphics>());
    static RtGame host;  // the application hands its delegate to a host
    game = &host;
    app = nullptr;  // one application per process; each test makes its own
    c_MyApp* show = gc_new<c_MyApp>();
    scrollText = ScrollText();
    scrollX = 640;
    scrollBaseY = 400.0f;
    return show;
}

inline void RenderShowFrame(c_MyApp* show) {
    graphicsDevice->BeginRender();
    BeginRender();
    show->OnRender();
    EndRender();
    graphicsDevice->EndRender();
}
