// The drawing device: batch, flush, state changes and the draw operations.
#include "graphics/gxtk_graphics.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "graphics/frame_magnifier.h"
#include "graphics/gl_functions.h"
#include "graphics/gxtk_surface.h"
#include "graphics/host_link.h"

// 2·pi rounded to float: the oval's angle steps are computed in float from
// exactly this value.
constexpr float kTwoPi = 6.2831855f;

int32_t TruncToInt(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// White, opaque and untransformed until the first frame sets its own state:
// nothing is ever computed from a field that was never written.
gxtkGraphics::gxtkGraphics()
    : width(0), height(0), color(0xffffffffu), r(255), g(255), b(255), alpha(1), ix(1), iy(0), jx(0), jy(1), tx(0),
      ty(0), tformed(false), primType(0), primCount(0), primSurface(nullptr) {
    int framebuffer_width = 0, framebuffer_height = 0;
    HostWindowSizes(&width, &height, &framebuffer_width, &framebuffer_height);
    for (int q = 0; q < kMaxQuads; ++q) {
        uint16_t* i = quadIndices + q * 6;
        uint16_t first = static_cast<uint16_t>(q * 4);
        i[0] = first;
        i[1] = first + 1;
        i[2] = first + 2;
        i[3] = first;
        i[4] = first + 2;
        i[5] = first + 3;
    }
}

int gxtkGraphics::Width() { return width; }
int gxtkGraphics::Height() { return height; }

// ---- batch ------------------------------------------------------------------

gxtkVertex* gxtkGraphics::StartBatch(int type, int count, gxtkSurface* surface) {
    if (primCount > 0) Flush();
    primType = type;
    primSurface = surface;
    primCount = count;
    return vertices;
}

void gxtkGraphics::Flush() {
    if (primSurface) {
        gl.Enable(GL_TEXTURE_2D);
        primSurface->Bind();
    }
    switch (primType) {
        case kPrimPoints: gl.DrawArrays(GL_POINTS, 0, primCount); break;
        case kPrimLines: gl.DrawArrays(GL_LINES, 0, primCount); break;
        case kPrimTriangles: gl.DrawArrays(GL_TRIANGLES, 0, primCount); break;
        case kPrimQuads: gl.DrawElements(GL_TRIANGLES, primCount / 4 * 6, GL_UNSIGNED_SHORT, quadIndices); break;
        default:
            for (int i = 0; i < primCount; i += primType) gl.DrawArrays(GL_TRIANGLE_FAN, i, primType);
            break;
    }
    if (primSurface) gl.Disable(GL_TEXTURE_2D);
    primCount = 0;
}

// ---- frame --------------------------------------------------------------------

int gxtkGraphics::BeginRender() {
    int fb_width = 0, fb_height = 0;
    HostWindowSizes(&width, &height, &fb_width, &fb_height);
    gl.Viewport(0, 0, fb_width, fb_height);
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Ortho(0, width, height, 0, -1, 1);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.VertexPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].x);
    gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.TexCoordPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].u);
    gl.EnableClientState(GL_COLOR_ARRAY);
    gl.ColorPointer(4, GL_UNSIGNED_BYTE, sizeof(gxtkVertex), &vertices[0].colour);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    gl.Disable(GL_TEXTURE_2D);
    primCount = 0;
    return 1;
}

void gxtkGraphics::EndRender() {
    if (primCount > 0) Flush();
    int picture_width = 0, picture_height = 0, fb_width = 0, fb_height = 0;
    if (HostMagnifiedPicture(&picture_width, &picture_height, &fb_width, &fb_height))
        MagnifyFrame(picture_width, picture_height, fb_width, fb_height);
}

void gxtkGraphics::DiscardGraphics() {}

// ---- state --------------------------------------------------------------------

int gxtkGraphics::Clear(float red, float green, float blue) {
    primCount = 0;
    gl.ClearColor(red / 255.0f, green / 255.0f, blue / 255.0f, 1);
    gl.Clear(GL_COLOR_BUFFER_BIT);
    return 0;
}

int gxtkGraphics::SetAlpha(float a) {
    alpha = a;
    UpdateColor();
    return 0;
}

int gxtkGraphics::SetBlend(int blend) {
    if (primCount > 0) Flush();
    gl.BlendFunc(GL_ONE, blend == 1 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
    if (primCount > 0) Flush();
    if (x == 0 && y == 0 && w == Width() && h == Height()) {
        gl.Disable(GL_SCISSOR_TEST);
        return 0;
    }
    gl.Enable(GL_SCISSOR_TEST);
    gl.Scissor(x, Height() - y - h, w, h);
    return 0;
}

int gxtkGraphics::SetMatrix(float mix, float miy, float mjx, float mjy, float mtx, float mty) {
    ix = mix;
    iy = miy;
    jx = mjx;
    jy = mjy;
    tx = mtx;
    ty = mty;
    tformed = ix != 1 || iy != 0 || jx != 0 || jy != 1 || tx != 0 || ty != 0;
    return 0;
}

// ---- drawing ------------------------------------------------------------------

int gxtkGraphics::DrawPoint(float x, float y) {
    gxtkVertex* v = BeginPrimitive(kPrimPoints, 1, nullptr);
    Put(v, x, y);
    v->x += 0.5f;
    v->y += 0.5f;
    return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
    gxtkVertex* v = BeginPrimitive(kPrimLines, 2, nullptr);
    Put(v, x1, y1);
    Put(v + 1, x2, y2);
    for (int i = 0; i < 2; ++i) {
        v[i].x += 0.5f;
        v[i].y += 0.5f;
    }
    return 0;
}

// Follows the oval's on-screen size: the sum of its radii in pixels, at least
// 12, at most 1024, otherwise rounded down to a multiple of 4.
int gxtkGraphics::OvalSegments(float rx, float ry) const {
    int n;
    if (tformed) {
        float across = std::sqrt((ix * rx) * (ix * rx) + (iy * rx) * (iy * rx));
        float down = std::sqrt((jx * ry) * (jx * ry) + (jy * ry) * (jy * ry));
        n = TruncToInt(across + down);
    } else {
        n = TruncToInt(std::fabs(static_cast<double>(rx)) + std::fabs(static_cast<double>(ry)));
    }
    if (n < 12) return 12;
    if (n <= kMaxVertices) return n & ~3;
    return kMaxVertices;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
    float rx = w * 0.5f, ry = h * 0.5f;
    float cx = x + rx, cy = y + ry;
    int n = OvalSegments(rx, ry);
    gxtkVertex* v = BeginPrimitive(n, n, nullptr);
    for (int i = 0; i < n; ++i) {
        float theta = static_cast<float>(i) * kTwoPi / static_cast<float>(n);
        float px = cx + static_cast<float>(std::cos(static_cast<double>(theta))) * rx;
        float py = cy - static_cast<float>(std::sin(static_cast<double>(theta))) * ry;
        Put(v + i, px, py);
    }
    return 0;
}

int gxtkGraphics::DrawPoly(Array<float> verts) {
    int n = verts.Length() / 2;
    if (n < 1 || n > kMaxVertices) return 0;
    const float* p = verts.Data();
    gxtkVertex* v = BeginPrimitive(n, n, nullptr);
    for (int k = 0; k < n; ++k) Put(v + k, p[2 * k], p[2 * k + 1]);
    return 0;
}

int gxtkGraphics::DrawTexturedPoly(Array<float> verts, gxtkSurface* surface, int src_x, int src_y) {
    int n = verts.Length() / 4;
    if (n < 1 || n > kMaxVertices) return 0;
    const float* p = verts.Data();
    gxtkVertex* v = BeginPrimitive(n, n, surface);
    for (int k = 0; k < n; ++k, p += 4)
        PutTextured(v + k, p[0], p[1], (p[2] + src_x) * surface->uscale, (p[3] + src_y) * surface->vscale);
    return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
    float w = static_cast<float>(surface->Width()), h = static_cast<float>(surface->Height());
    float u_max = w * surface->uscale, v_max = h * surface->vscale;
    gxtkVertex* v = BeginPrimitive(kPrimQuads, 4, surface);
    PutTextured(v, x, y, 0, 0);
    PutTextured(v + 1, x + w, y, u_max, 0);
    PutTextured(v + 2, x + w, y + h, u_max, v_max);
    PutTextured(v + 3, x, y + h, 0, v_max);
    return 0;
}

int gxtkGraphics::DrawSurfaceRect(gxtkSurface* surface, float x, float y, int src_x, int src_y, int src_w,
                                  int src_h) {
    float u_left = static_cast<float>(src_x) * surface->uscale;
    float u_right = static_cast<float>(src_x + src_w) * surface->uscale;
    float v_top = static_cast<float>(src_y) * surface->vscale;
    float v_bottom = static_cast<float>(src_y + src_h) * surface->vscale;
    float w = static_cast<float>(src_w), h = static_cast<float>(src_h);
    gxtkVertex* v = BeginPrimitive(kPrimQuads, 4, surface);
    PutTextured(v, x, y, u_left, v_top);
    PutTextured(v + 1, x + w, y, u_right, v_top);
    PutTextured(v + 2, x + w, y + h, u_right, v_bottom);
    PutTextured(v + 3, x, y + h, u_left, v_bottom);
    return 0;
}

// ---- pixels -------------------------------------------------------------------

int gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    if (primCount > 0) Flush();
    std::vector<uint32_t> buffer(static_cast<size_t>(w) * static_cast<size_t>(h));
    gl.ReadPixels(x, height - y - h, w, h, GL_BGRA, GL_UNSIGNED_BYTE, buffer.data());
    int* out = pixels.Data();
    for (int row = 0; row < h; ++row) {
        const uint32_t* src = buffer.data() + static_cast<size_t>(h - 1 - row) * w;
        int* dst = out + offset + row * pitch;
        for (int c = 0; c < w; ++c) dst[c] = static_cast<int>(src[c]);
    }
    return 0;
}
