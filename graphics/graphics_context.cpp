// The graphics context, its globals and the module drawing functions.
#include "graphics/graphics_context.h"

#include <cmath>

#include "graphics/font.h"
#include "graphics/image.h"

namespace {

// The components of a packed 0xRRGGBB colour, on the 0 to 255 scale.
float RedOf(int rgb) { return static_cast<float>((rgb >> 16) & 255); }
float GreenOf(int rgb) { return static_cast<float>((rgb >> 8) & 255); }
float BlueOf(int rgb) { return static_cast<float>(rgb & 255); }

}  // namespace

c_GraphicsContext* context = nullptr;
gxtkGraphics* graphicsDevice = nullptr;
gxtkGraphics* renderDevice = nullptr;
int deviceWidth = 0;
int deviceHeight = 0;

c_GraphicsContext::c_GraphicsContext() : matrixStack(kInitialStackFloats) { gc_mark_now(matrixStack.Body()); }

void c_GraphicsContext::mark() {
    gc_shade(defaultFont);
    gc_shade(font);
    gc_shade(matrixStack.Body());
}

void c_GraphicsContext::ValidateMatrix() {
    renderDevice->SetMatrix(ix, iy, jx, jy, tx, ty);
    matDirty = 0;
}

void c_GraphicsContext::StoreMatrix(float mix, float miy, float mjx, float mjy, float mtx, float mty) {
    ix = mix;
    iy = miy;
    jx = mjx;
    jy = mjy;
    tx = mtx;
    ty = mty;
    tformed = ix != 1 || iy != 0 || jx != 0 || jy != 1 || tx != 0 || ty != 0;
    matDirty = 1;
}

void InitGraphicsContextGlobals() {
    context = nullptr;
    gc_assign(context, gc_new<c_GraphicsContext>());
    graphicsDevice = nullptr;
    renderDevice = nullptr;
    deviceWidth = 0;
    deviceHeight = 0;
    defaultFlags = 0;
}

void RegisterGraphicsRoots() {
    gc_add_root(+[]() -> gc_object* { return context; });
    gc_add_root(+[]() -> gc_object* { return graphicsDevice; });
    gc_add_root(+[]() -> gc_object* { return renderDevice; });
}

int SetGraphicsDevice(gxtkGraphics* device) {
    gc_assign(graphicsDevice, device);
    return 0;
}

int DeviceWidth() { return deviceWidth; }
int DeviceHeight() { return deviceHeight; }

int BeginRender() {
    gc_assign(renderDevice, graphicsDevice);
    c_GraphicsContext* c = context;
    c->matrixSp = 0;
    c->StoreMatrix(1, 0, 0, 1, 0, 0);
    c->r = c->g = c->b = 255;
    renderDevice->SetColor(255, 255, 255);
    c->alpha = 1;
    renderDevice->SetAlpha(1);
    c->blend = 0;
    renderDevice->SetBlend(0);
    c->scissorX = c->scissorY = 0;
    c->scissorW = static_cast<float>(deviceWidth);
    c->scissorH = static_cast<float>(deviceHeight);
    renderDevice->SetScissor(0, 0, deviceWidth, deviceHeight);
    return 0;
}

int EndRender() {
    renderDevice = nullptr;
    return 0;
}

// ---- colour, alpha, blend, scissor, clear ---------------------------------

int SetColor(int rgb) { return SetColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb)); }

int SetColor(c_Color* color) {
    return SetColor(static_cast<float>(color->r), static_cast<float>(color->g), static_cast<float>(color->b));
}

int SetAlpha(float alpha) {
    context->alpha = alpha;
    renderDevice->SetAlpha(alpha);
    return 0;
}

int SetBlend(int blend) {
    context->blend = blend;
    renderDevice->SetBlend(blend);
    return 0;
}

int SetScissor(float x, float y, float w, float h) {
    context->scissorX = x;
    context->scissorY = y;
    context->scissorW = w;
    context->scissorH = h;
    renderDevice->SetScissor(TruncToInt(x), TruncToInt(y), TruncToInt(w), TruncToInt(h));
    return 0;
}

int Clear(float r, float g, float b) {
    renderDevice->Clear(r, g, b);
    return 0;
}

int Clear(int rgb) { return Clear(RedOf(rgb), GreenOf(rgb), BlueOf(rgb)); }

int Clear(c_Color* color) {
    return Clear(static_cast<float>(color->r), static_cast<float>(color->g), static_cast<float>(color->b));
}

// ---- matrix -----------------------------------------------------------------

int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
    context->StoreMatrix(ix, iy, jx, jy, tx, ty);
    return 0;
}

int SetMatrix(Array<float> m) { return SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]); }

int Transform(float a, float b, float c, float d, float e, float f) {
    c_GraphicsContext* k = context;
    k->StoreMatrix(k->ix * a + k->jx * b, k->iy * a + k->jy * b, k->ix * c + k->jx * d, k->iy * c + k->jy * d,
                   k->ix * e + k->jx * f + k->tx, k->iy * e + k->jy * f + k->ty);
    return 0;
}

int Transform(Array<float> m) { return Transform(m[0], m[1], m[2], m[3], m[4], m[5]); }

int Translate(float x, float y) { return Transform(1, 0, 0, 1, x, y); }

int Rotate(float angle) {
    float rad = angle * 0.017453292f;
    float c = static_cast<float>(std::cos(static_cast<double>(rad)));
    float s = static_cast<float>(std::sin(static_cast<double>(rad)));
    return Transform(c, -s, s, c, 0, 0);
}

int Scale(float x, float y) { return Transform(x, 0, 0, y, 0, 0); }

int PushMatrix() {
    c_GraphicsContext* k = context;
    if (k->matrixSp == k->matrixStack.Length()) {
        Array<float> grown = k->matrixStack.Resize(k->matrixStack.Length() * 2);
        gc_mark_now(grown.Body());
        k->matrixStack = grown;
    }
    float* m = k->matrixStack.Data() + k->matrixSp;
    m[0] = k->ix;
    m[1] = k->iy;
    m[2] = k->jx;
    m[3] = k->jy;
    m[4] = k->tx;
    m[5] = k->ty;
    k->matrixSp += 6;
    return 0;
}

int PopMatrix() {
    c_GraphicsContext* k = context;
    k->matrixSp -= 6;
    const float* m = k->matrixStack.Data() + k->matrixSp;
    k->StoreMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
    return 0;
}
