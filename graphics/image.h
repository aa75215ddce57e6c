// Images and frames: a surface with a list of equal-sized frames cut from it
// (animation strips, sprite sheets) and a handle, the point of a frame that
// lands on the drawing position. Images load from the program's data folder.
#pragma once

#include "graphics/gxtk_surface.h"
#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/string.h"

struct c_Frame : Object {
    int x = 0, y = 0;

    c_Frame() {}
    c_Frame(int fx, int fy) : x(fx), y(fy) {}
};

struct c_Image : Object {
    static constexpr int CenterHandle = 1;
    static constexpr int PadX = 2;
    static constexpr int PadY = 4;
    static constexpr int WholeSurface = 65536;

    gxtkSurface* surface = nullptr;
    int width = 0;
    int height = 0;
    Array<c_Frame*> frames;
    int flags = 0;
    float tx = 0, ty = 0;
    c_Image* source = nullptr;

    void mark() override;

    // A horizontal strip of frameCount frames.
    c_Image* Init(gxtkSurface* surface, int frame_count, int flags);
    // frameCount frames of the given size, cut left to right and top to bottom
    // from the rectangle (srcX, srcY, srcW, srcH), starting at (x, y) in it.
    c_Image* Init(gxtkSurface* surface, int x, int y, int frame_width, int frame_height, int frame_count, int flags,
                  c_Image* source, int src_x, int src_y, int src_w, int src_h);
    void ApplyFlags(int flags);
    void SetHandle(float tx, float ty);
    int Width() { return width; }
    int Height() { return height; }

private:
    bool TakeSurface(gxtkSurface* s);
    void SetFrames(Array<c_Frame*> f);
};

// Flags the font loaders use for their page images.
extern int defaultFlags;

c_Image* LoadImage(String path, int flags);
c_Image* LoadImage(String path, int frame_count, int flags);
c_Image* LoadImage(String path, int frame_width, int frame_height, int frame_count, int flags);

// Draws the rectangle (srcX, srcY, srcW, srcH) of a frame, relative to the
// frame, with the image's handle at (x, y).
int DrawImageRect(c_Image* image, float x, float y, int src_x, int src_y, int src_w, int src_h, int frame);
// The same, turned by rotation degrees and scaled about the handle.
int DrawImageRect(c_Image* image, float x, float y, int src_x, int src_y, int src_w, int src_h, float rotation,
                  float scale_x, float scale_y, int frame);

// A bare name becomes a file of the data folder; scheme or drive paths and
// paths starting with "./" or "/" stay as they are.
String FixDataPath(String path);
