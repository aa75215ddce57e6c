// gxtkSurface: an image's pixels in main memory and the OpenGL texture made
// from them. Pixels are stored premultiplied by alpha (matching the device's
// GL_ONE source blend). The texture is made lazily, on first use in a GL
// context, and made again when the host has opened a new window (a new
// context generation); the pixels therefore stay for the surface's life.
#pragma once

#include <GL/gl.h>

#include "runtime/gc.h"

struct gxtkSurface final : Object {
    unsigned char* data;  // width * height * depth bytes, rows top-down; malloc'd, owned
    int width;
    int height;
    int depth;            // bytes per pixel, 1..4
    int format;           // GL format, both internal and external
    int seq;              // context generation of `texture`; -1 when there is none
    GLuint texture;
    float uscale;         // 1 / texture width
    float vscale;         // 1 / texture height

    gxtkSurface();
    ~gxtkSurface() override;

    virtual int Discard();
    virtual int Width();
    virtual int Height();
    virtual int Loaded();
    virtual void Bind();

    // Takes ownership of decoded pixels and premultiplies them.
    void SetData(unsigned char* pixels, int w, int h, int bytes_per_pixel);
    // Copies ARGB integers into the rectangle (x, y, w, h), premultiplied, and
    // into the texture when it exists.
    void WritePixelsInto(int x, int y, int w, int h, const int* src, int pitch);

private:
    void CreateTexture(unsigned generation);
    void ReleaseTexture();
};

// GL format for a pixel depth of 1..4; 0 for any other depth.
int SurfaceFormatForDepth(int depth);
