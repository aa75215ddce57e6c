// Surfaces: premultiplied pixel storage, lazy textures per context
// generation, pixel writes, and the device's surface operations.
#include "graphics/gxtk_surface.h"

#include <cstdint>
#include <cstdlib>

#include "graphics/gl_functions.h"
#include "graphics/gxtk_graphics.h"
#include "graphics/host_link.h"

namespace {

// One colour byte scaled by its pixel's alpha, as surfaces store them.
unsigned char Premultiply(unsigned value, unsigned alpha) { return static_cast<unsigned char>(value * alpha / 255); }

}  // namespace

int SurfaceFormatForDepth(int depth) {
    switch (depth) {
        case 1: return GL_LUMINANCE;
        case 2: return GL_LUMINANCE_ALPHA;
        case 3: return GL_RGB;
        case 4: return GL_RGBA;
        default: return 0;
    }
}

gxtkSurface::gxtkSurface()
    : data(nullptr), width(0), height(0), depth(0), format(0), seq(-1), texture(0), uscale(0), vscale(0) {}

gxtkSurface::~gxtkSurface() {
    ReleaseTexture();
    std::free(data);
}

// A texture of an older generation died with its context: nothing to delete.
void gxtkSurface::ReleaseTexture() {
    if (seq == static_cast<int>(HostContextGeneration())) {
        gl.DeleteTextures(1, &texture);
        seq = -1;
    }
}

int gxtkSurface::Discard() {
    ReleaseTexture();
    std::free(data);
    data = nullptr;
    return 0;
}

int gxtkSurface::Width() { return width; }
int gxtkSurface::Height() { return height; }
int gxtkSurface::Loaded() { return 1; }

void gxtkSurface::SetData(unsigned char* pixels, int w, int h, int bytes_per_pixel) {
    data = pixels;
    width = w;
    height = h;
    depth = bytes_per_pixel;
    if (int f = SurfaceFormatForDepth(depth)) format = f;
    if (!data || w <= 0 || h <= 0) return;
    long long count = static_cast<long long>(w) * h;
    if (depth == 4) {
        for (unsigned char* p = data; count-- > 0; p += 4) {
            p[0] = Premultiply(p[0], p[3]);
            p[1] = Premultiply(p[1], p[3]);
            p[2] = Premultiply(p[2], p[3]);
        }
    } else if (depth == 2) {
        for (unsigned char* p = data; count-- > 0; p += 2) p[0] = Premultiply(p[0], p[1]);
    }
}

namespace {

int PowerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

}  // namespace

void gxtkSurface::Bind() {
    unsigned generation = HostContextGeneration();
    if (generation == 0) return;
    if (seq == static_cast<int>(generation)) {
        gl.BindTexture(GL_TEXTURE_2D, texture);
        return;
    }
    CreateTexture(generation);
}

// Sizes the texture to the image; when GL rejects that size, retries once
// with powers of two and uses only the top-left corner.
void gxtkSurface::CreateTexture(unsigned generation) {
    seq = static_cast<int>(generation);
    gl.GenTextures(1, &texture);
    gl.BindTexture(GL_TEXTURE_2D, texture);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    int tex_w = width, tex_h = height;
    gl.TexImage2D(GL_TEXTURE_2D, 0, format, tex_w, tex_h, 0, format, GL_UNSIGNED_BYTE, nullptr);
    if (gl.GetError() != GL_NO_ERROR) {
        tex_w = PowerOfTwoAtLeast(width);
        tex_h = PowerOfTwoAtLeast(height);
        gl.TexImage2D(GL_TEXTURE_2D, 0, format, tex_w, tex_h, 0, format, GL_UNSIGNED_BYTE, nullptr);
    }
    uscale = static_cast<float>(1.0 / tex_w);
    vscale = static_cast<float>(1.0 / tex_h);
    if (data) {
        gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        gl.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, data);
    }
}

void gxtkSurface::WritePixelsInto(int x, int y, int w, int h, const int* src, int pitch) {
    if (!data) data = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(width) * height * 4));
    if (!data) std::abort();
    for (int r = 0; r < h; ++r) {
        unsigned char* dst = data + (static_cast<size_t>(y + r) * width + x) * 4;
        const int* row = src + static_cast<ptrdiff_t>(r) * pitch;
        for (int c = 0; c < w; ++c, dst += 4) {
            uint32_t p = static_cast<uint32_t>(row[c]);
            uint32_t a = p >> 24;
            dst[0] = Premultiply((p >> 16) & 255, a);
            dst[1] = Premultiply((p >> 8) & 255, a);
            dst[2] = Premultiply(p & 255, a);
            dst[3] = static_cast<unsigned char>(a);
        }
    }
    if (seq != static_cast<int>(HostContextGeneration())) return;  // the next Bind uploads it all
    gl.BindTexture(GL_TEXTURE_2D, texture);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const unsigned char* at = data + (static_cast<size_t>(y) * width + x) * 4;
    if (w == width) {
        gl.TexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, format, GL_UNSIGNED_BYTE, at);
        return;
    }
    for (int r = 0; r < h; ++r, at += static_cast<size_t>(width) * 4)
        gl.TexSubImage2D(GL_TEXTURE_2D, 0, x, y + r, w, 1, format, GL_UNSIGNED_BYTE, at);
}

// ---- the device's surface operations --------------------------------------

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
    gxtkSurface* surface = gc_new<gxtkSurface>();
    if (!LoadSurfaceData(surface, path)) return nullptr;
    surface->Bind();
    return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
    gxtkSurface* surface = gc_new<gxtkSurface>();
    surface->width = w;
    surface->height = h;
    surface->depth = 4;
    surface->format = GL_RGBA;
    surface->Bind();
    return surface;
}

bool gxtkGraphics::LoadSurfaceData(gxtkSurface* surface, String path) {
    int w = 0, h = 0, d = 0;
    unsigned char* pixels = HostLoadImageData(path, &w, &h, &d);
    if (!pixels) return false;
    surface->SetData(pixels, w, h, d);
    return true;
}

int gxtkGraphics::WritePixels(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h, int offset,
                              int pitch) {
    if (surface->format != GL_RGBA) return 0;
    surface->WritePixelsInto(x, y, w, h, pixels.Data() + offset, pitch);
    return 0;
}
