// The magnification pass: one texture per context, refilled from the back
// buffer every frame with CopyTexSubImage2D (OpenGL 1.1), drawn as one quad.
// Nothing is allocated per frame.
#include "graphics/frame_magnifier.h"

#include <cmath>
#include <cstdint>

#include "graphics/gl_functions.h"
#include "graphics/host_link.h"

namespace {

constexpr uint32_t kWhite = 0xffffffffu;

struct QuadVertex {
    float x, y, u, v;
    uint32_t colour;
};

// The texture the frame is copied into: powers of two on each side, as
// OpenGL 1.1 wants them, so only its lower-left part holds the picture.
struct FrameTexture {
    GLuint name = 0;
    unsigned generation = 0;
    int width = 0, height = 0;
};

FrameTexture frame_texture;
QuadVertex quad[4];

int PowerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
}

// Binds the texture, making it first in a new context or for a new size.
void BindFrameTexture(int picture_width, int picture_height) {
    FrameTexture& t = frame_texture;
    unsigned generation = HostContextGeneration();
    int width = PowerOfTwoAtLeast(picture_width), height = PowerOfTwoAtLeast(picture_height);
    bool current = t.name != 0 && t.generation == generation;
    if (current && t.width == width && t.height == height) {
        gl.BindTexture(GL_TEXTURE_2D, t.name);
        return;
    }
    // A texture of an earlier context died with it; one of this context is
    // replaced.
    if (current) gl.DeleteTextures(1, &t.name);
    t = {0, generation, width, height};
    gl.GenTextures(1, &t.name);
    gl.BindTexture(GL_TEXTURE_2D, t.name);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

void SetQuad(const PicturePlacement& p, float u, float v) {
    float left = float(p.x), right = float(p.x + p.width);
    float bottom = float(p.y), top = float(p.y + p.height);
    quad[0] = {left, bottom, 0, 0, kWhite};
    quad[1] = {right, bottom, u, 0, kWhite};
    quad[2] = {right, top, u, v, kWhite};
    quad[3] = {left, top, 0, v, kWhite};
}

}  // namespace

void MagnifyFrame(int picture_width, int picture_height, int framebuffer_width, int framebuffer_height) {
    PicturePlacement placement = PlacePicture(picture_width, picture_height, framebuffer_width, framebuffer_height);
    BindFrameTexture(picture_width, picture_height);
    gl.CopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, picture_width, picture_height);
    // Whole factors copy texels; a screen too small for 2x blends them.
    GLint filter = placement.factor == std::floor(placement.factor) ? GL_NEAREST : GL_LINEAR;
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);

    gl.Disable(GL_SCISSOR_TEST);
    gl.Disable(GL_BLEND);
    gl.Viewport(0, 0, framebuffer_width, framebuffer_height);
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Ortho(0, framebuffer_width, 0, framebuffer_height, -1, 1);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.ClearColor(0, 0, 0, 1);
    gl.Clear(GL_COLOR_BUFFER_BIT);

    SetQuad(placement, float(picture_width) / float(frame_texture.width),
            float(picture_height) / float(frame_texture.height));
    gl.VertexPointer(2, GL_FLOAT, sizeof(QuadVertex), &quad[0].x);
    gl.TexCoordPointer(2, GL_FLOAT, sizeof(QuadVertex), &quad[0].u);
    gl.ColorPointer(4, GL_UNSIGNED_BYTE, sizeof(QuadVertex), &quad[0].colour);
    gl.Enable(GL_TEXTURE_2D);
    gl.DrawArrays(GL_TRIANGLE_FAN, 0, 4);
    gl.Disable(GL_TEXTURE_2D);
}
