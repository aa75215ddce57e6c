// The framework's drawing state and module drawing functions: colour, alpha,
// blend, scissor, the current and default font, and a 2D matrix with a
// push/pop stack, kept in the one c_GraphicsContext and forwarded to the
// device. The matrix is composed here in floats and sent to the device only
// before the first draw after it changed (matDirty), so a run of draws under
// one matrix costs one device SetMatrix.
//
// Drawing functions forward to `renderDevice`, which is set only between
// BeginRender and EndRender; calling them outside a frame is the caller's
// error and is not checked.
#pragma once

#include "graphics/gxtk_graphics.h"
#include "runtime/array.h"
#include "runtime/gc.h"

struct c_Font;

struct c_GraphicsContext : Object {
    c_Font* defaultFont = nullptr;
    c_Font* font = nullptr;
    int matrixSp = 0;
    float ix = 1, iy = 0, jx = 0, jy = 1, tx = 0, ty = 0;
    int tformed = 0;
    int matDirty = 0;
    float r = 0, g = 0, b = 0;
    float alpha = 0;
    int blend = 0;
    float scissorX = 0, scissorY = 0, scissorW = 0, scissorH = 0;
    Array<float> matrixStack;

    static constexpr int kInitialStackFloats = 192;

    c_GraphicsContext();
    void mark() override;

    // Sends the matrix to the render device and clears matDirty.
    void ValidateMatrix();
    // Stores the six values, then sets tformed by the identity test and
    // marks the matrix dirty.
    void StoreMatrix(float mix, float miy, float mjx, float mjy, float mtx, float mty);
};

struct c_Color : Object {
    int r = 0, g = 0, b = 0;
};

extern c_GraphicsContext* context;
extern gxtkGraphics* graphicsDevice;
extern gxtkGraphics* renderDevice;
extern int deviceWidth;
extern int deviceHeight;

// Start-up values of the graphics globals (a fresh context, no device, size
// 0 x 0, default image flags 0).
void InitGraphicsContextGlobals();
// Registers the graphics globals that hold objects as collector roots.
void RegisterGraphicsRoots();

int SetGraphicsDevice(gxtkGraphics* device);
int DeviceWidth();
int DeviceHeight();

// The framework's half of the frame bracket: after the device's own
// BeginRender, resets matrix, colour, alpha, blend and scissor.
int BeginRender();
int EndRender();

// Inline, as is DrawRect: the show calls each some 7,000 times per frame.
inline int SetColor(float r, float g, float b) {
    context->r = r;
    context->g = g;
    context->b = b;
    renderDevice->SetColor(r, g, b);
    return 0;
}
int SetColor(int rgb);
int SetColor(c_Color* color);
int SetAlpha(float alpha);
int SetBlend(int blend);
int SetScissor(float x, float y, float w, float h);
int Clear(float r, float g, float b);
int Clear(int rgb);
int Clear(c_Color* color);

int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
int SetMatrix(Array<float> m);
// Applies the given matrix to points first, then the current one.
int Transform(float ix, float iy, float jx, float jy, float tx, float ty);
int Transform(Array<float> m);
int Translate(float x, float y);
int Rotate(float angle);
int Scale(float x, float y);
int PushMatrix();
int PopMatrix();

inline void ValidateMatrixIfDirty() {
    if (context->matDirty) context->ValidateMatrix();
}

inline int DrawRect(float x, float y, float w, float h) {
    ValidateMatrixIfDirty();
    renderDevice->DrawRect(x, y, w, h);
    return 0;
}
