// gxtkGraphics: the drawing device. Turns points, lines, rectangles, ovals,
// polygons and textured quads into fixed-function OpenGL 1.1 draws through
// client-side vertex arrays.
//
// Batching: every primitive is transformed on the processor, coloured per
// vertex and appended to one batch of at most 1024 vertices (20-byte records:
// x, y, u, v as floats, then the colour bytes R, G, B, A). Primitives join the
// batch while their kind and texture match the batch's. The batch is flushed
// (drawn and emptied) when
//   - a primitive of another kind or another surface arrives,
//   - the new primitive would not fit in the 1024 vertices,
//   - SetBlend, SetScissor or ReadPixels runs (GL must see the state change
//     after, and the pixels must include, everything drawn so far),
//   - EndRender runs.
// Clear drops the batch without drawing it. SetColor, SetAlpha and SetMatrix
// never flush: colour and matrix are baked into the vertices.
//
// Kinds: 1 points, 2 lines, 3 triangles, 4 quads (drawn as two indexed
// triangles each), k >= 5 convex polygons of exactly k vertices (one
// triangle fan each). A polygon's kind is its vertex count.
//
// The vertex and index arrays live inside the object, whose address never
// changes, so GL is given their addresses once per frame in BeginRender.
#pragma once

#include <cstdint>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/string.h"

struct gxtkSurface;

// Converts toward zero to a 32-bit integer. NaN and values outside the range
// give INT32_MIN, as the processor's own conversion does, without the
// undefined behaviour of a plain cast.
int32_t TruncToInt(double value);

// The same for a float, without widening it. Colour packing runs it four
// times for every SetColor. On x86 it is the processor's conversion itself,
// written as an instruction: the intrinsic would let the compiler fold
// constant arguments its own way (saturating), which the processor does not.
inline int32_t TruncFloatToInt(float value) {
#if defined(__GNUC__) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE__)))
    int32_t result;
    __asm__("cvttss2si %1, %0" : "=r"(result) : "xm"(value));
    return result;
#else
    bool in_range = value >= -2147483648.0f && value < 2147483648.0f;
    return static_cast<int32_t>(in_range ? value : -2147483648.0f);
#endif
}

struct gxtkVertex {
    float x, y;
    float u, v;
    uint32_t colour;  // little-endian: bytes R, G, B, A in memory
};
static_assert(sizeof(gxtkVertex) == 20, "GL is told the records are 20 bytes apart");

// The batch's primitive kinds: a polygon's kind is its vertex count (5 and up,
// and ovals of any size), so the kinds of points, lines, triangles and quads
// are their vertex counts too.
constexpr int kPrimPoints = 1;
constexpr int kPrimLines = 2;
constexpr int kPrimTriangles = 3;
constexpr int kPrimQuads = 4;

struct gxtkGraphics final : Object {
    static constexpr int kMaxVertices = 1024;
    static constexpr int kMaxQuads = kMaxVertices / 4;

    int width;
    int height;
    uint32_t color;
    float r, g, b;
    float alpha;
    float ix, iy, jx, jy, tx, ty;
    bool tformed;
    gxtkVertex vertices[kMaxVertices];
    uint16_t quadIndices[kMaxQuads * 6];
    int primType;
    int primCount;
    gxtkSurface* primSurface;  // not owned, not marked

    gxtkGraphics();

    virtual int Width();
    virtual int Height();
    virtual int BeginRender();
    // Flushes the batch; when the host shows the picture magnified, then
    // draws it magnified into the window (frame_magnifier.h).
    virtual void EndRender();
    virtual void DiscardGraphics();
    virtual gxtkSurface* LoadSurface(String path);
    virtual gxtkSurface* CreateSurface(int width, int height);
    virtual bool LoadSurfaceData(gxtkSurface* surface, String path);
    virtual int Clear(float r, float g, float b);
    virtual int SetAlpha(float alpha);
    // Inline with DrawRect and BeginPrimitive's common case: the class is
    // final, so calls through a gxtkGraphics* (the framework's) inline them.
    virtual int SetColor(float red, float green, float blue) {
        r = red;
        g = green;
        b = blue;
        UpdateColor();
        return 0;
    }
    virtual int SetBlend(int blend);
    virtual int SetScissor(int x, int y, int w, int h);
    virtual int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
    virtual int DrawPoint(float x, float y);
    virtual int DrawRect(float x, float y, float w, float h) {
        gxtkVertex* v = BeginPrimitive(kPrimQuads, 4, nullptr);
        Put(v, x, y);
        Put(v + 1, x + w, y);
        Put(v + 2, x + w, y + h);
        Put(v + 3, x, y + h);
        return 0;
    }
    virtual int DrawLine(float x1, float y1, float x2, float y2);
    virtual int DrawOval(float x, float y, float w, float h);
    virtual int DrawPoly(Array<float> verts);
    virtual int DrawTexturedPoly(Array<float> verts, gxtkSurface* surface, int src_x, int src_y);
    virtual int DrawSurface(gxtkSurface* surface, float x, float y);
    virtual int DrawSurfaceRect(gxtkSurface* surface, float x, float y, int src_x, int src_y, int src_w, int src_h);
    virtual int ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch);
    virtual int WritePixels(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h, int offset,
                            int pitch);

    // Returns the first of `count` fresh vertex records of the batch, flushing
    // first when the kind, the surface or the room does not match.
    gxtkVertex* BeginPrimitive(int type, int count, gxtkSurface* surface) {
        if (type == primType && surface == primSurface && primCount + count <= kMaxVertices) {
            gxtkVertex* first = vertices + primCount;
            primCount += count;
            return first;
        }
        return StartBatch(type, count, surface);
    }
    void Flush();

private:
    // BeginPrimitive when the primitive does not join the batch.
    gxtkVertex* StartBatch(int type, int count, gxtkSurface* surface);
    // Out-of-range terms are not clamped: they spill into the neighbouring
    // bytes, and drawing code relies on exactly that (-1 red is opaque white).
    void UpdateColor() {
        uint32_t a = static_cast<uint32_t>(TruncFloatToInt(255.0f * alpha));
        uint32_t bb = static_cast<uint32_t>(TruncFloatToInt(b * alpha));
        uint32_t gg = static_cast<uint32_t>(TruncFloatToInt(g * alpha));
        uint32_t rr = static_cast<uint32_t>(TruncFloatToInt(r * alpha));
        color = a << 24 | bb << 16 | gg << 8 | rr;
    }
    // Writes one vertex at the transformed position.
    void Put(gxtkVertex* v, float x, float y) const {
        if (tformed) {
            v->x = ix * x + jx * y + tx;
            v->y = iy * x + jy * y + ty;
        } else {
            v->x = x;
            v->y = y;
        }
        v->colour = color;
    }
    void PutTextured(gxtkVertex* out, float x, float y, float u, float v) const {
        Put(out, x, y);
        out->u = u;
        out->v = v;
    }
    int OvalSegments(float rx, float ry) const;
};
