// Image loading, frame layouts, flags and drawing.
#include "graphics/image.h"

#include "graphics/graphics_context.h"
#include "runtime/error.h"

int defaultFlags = 0;

void c_Image::mark() {
    gc_shade(surface);
    gc_shade(frames.Body());
    gc_shade(source);
}

// False (after raising the error) when the image already has a surface.
bool c_Image::TakeSurface(gxtkSurface* s) {
    if (surface) {
        Error(String("Image already initialized"));
        return false;
    }
    gc_assign(surface, s);
    return true;
}

void c_Image::SetFrames(Array<c_Frame*> f) {
    gc_mark_now(f.Body());
    frames = f;
}

c_Image* c_Image::Init(gxtkSurface* s, int frame_count, int new_flags) {
    if (!TakeSurface(s)) return this;
    // A count below 1 has no frame width; the frames cannot lie on the surface.
    if (frame_count < 1) {
        Error(String("Image frame outside surface"));
        return this;
    }
    width = s->Width() / frame_count;
    height = s->Height();
    Array<c_Frame*> f(frame_count);
    for (int i = 0; i < frame_count; ++i) f.Set(i, gc_new<c_Frame>(i * width, 0));
    SetFrames(f);
    ApplyFlags(new_flags);
    return this;
}

c_Image* c_Image::Init(gxtkSurface* s, int x, int y, int frame_width, int frame_height, int frame_count, int new_flags,
                       c_Image* src, int src_x, int src_y, int src_w, int src_h) {
    if (!TakeSurface(s)) return this;
    gc_assign(source, src);
    width = frame_width;
    height = frame_height;
    Array<c_Frame*> f(frame_count);
    int cx = x, cy = y;
    for (int i = 0; i < frame_count; ++i) {
        if (cx + width > src_w) {
            cy += height;
            if (width > src_w) {
                Error(String("Image frame outside surface"));
                return this;
            }
            cx = 0;
        }
        if (cy + height > src_h) {
            Error(String("Image frame outside surface"));
            return this;
        }
        f.Set(i, gc_new<c_Frame>(cx + src_x, cy + src_y));
        cx += width;
    }
    SetFrames(f);
    ApplyFlags(new_flags);
    return this;
}

void c_Image::ApplyFlags(int new_flags) {
    flags = new_flags;
    int n = frames.Length();
    if (flags & PadX) {
        for (int i = 0; i < n; ++i) frames[i]->x += 1;
        width -= 2;
    }
    if (flags & PadY) {
        for (int i = 0; i < n; ++i) frames[i]->y += 1;
        height -= 2;
    }
    if (flags & CenterHandle) {
        flags &= ~CenterHandle;
        tx = width * 0.5f;
        ty = height * 0.5f;
    }
    if (n == 1 && frames[0]->x == 0 && frames[0]->y == 0 && width == surface->Width() &&
        height == surface->Height())
        flags |= WholeSurface;
}

void c_Image::SetHandle(float htx, float hty) {
    tx = htx;
    ty = hty;
    flags &= ~CenterHandle;
}

// ---- loading ----------------------------------------------------------------

namespace {

gxtkSurface* LoadDataSurface(const String& path) { return graphicsDevice->LoadSurface(FixDataPath(path)); }

}  // namespace

c_Image* LoadImage(String path, int flags) {
    gxtkSurface* surface = LoadDataSurface(path);
    if (!surface) return nullptr;
    c_Image* image = gc_new<c_Image>();
    gc_assign(image->surface, surface);
    image->width = surface->Width();
    image->height = surface->Height();
    Array<c_Frame*> f(1);
    f.Set(0, gc_new<c_Frame>(0, 0));
    gc_mark_now(f.Body());
    image->frames = f;
    image->ApplyFlags(flags);
    return image;
}

c_Image* LoadImage(String path, int frame_count, int flags) {
    gxtkSurface* surface = LoadDataSurface(path);
    if (!surface) return nullptr;
    return gc_new<c_Image>()->Init(surface, frame_count, flags);
}

c_Image* LoadImage(String path, int frame_width, int frame_height, int frame_count, int flags) {
    gxtkSurface* surface = LoadDataSurface(path);
    if (!surface) return nullptr;
    return gc_new<c_Image>()->Init(surface, 0, 0, frame_width, frame_height, frame_count, flags, nullptr, 0, 0,
                                   surface->Width(), surface->Height());
}

String FixDataPath(String path) {
    int scheme = path.Find(String(":/"));
    if (scheme != -1 && path.Find(String("/")) == scheme + 1) return path;
    if (path.StartsWith(String("./")) || path.StartsWith(String("/"))) return path;
    return String("vantorix://data/") + path;
}

// ---- drawing ----------------------------------------------------------------

int DrawImageRect(c_Image* image, float x, float y, int src_x, int src_y, int src_w, int src_h, int frame) {
    c_Frame* f = image->frames[frame];
    ValidateMatrixIfDirty();
    renderDevice->DrawSurfaceRect(image->surface, x - image->tx, y - image->ty, src_x + f->x, src_y + f->y, src_w,
                                  src_h);
    return 0;
}

int DrawImageRect(c_Image* image, float x, float y, int src_x, int src_y, int src_w, int src_h, float rotation,
                  float scale_x, float scale_y, int frame) {
    c_Frame* f = image->frames[frame];
    PushMatrix();
    Translate(x, y);
    Rotate(rotation);
    Scale(scale_x, scale_y);
    Translate(-image->tx, -image->ty);
    ValidateMatrixIfDirty();
    renderDevice->DrawSurfaceRect(image->surface, 0, 0, src_x + f->x, src_y + f->y, src_w, src_h);
    PopMatrix();
    return 0;
}
