// SDL2's renderer and immediate-mode OpenGL drawing the plain frame.
#include "bench/demo/alternatives.h"

#include <GLFW/glfw3.h>
#include <SDL.h>
#include <stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tests/support/frame_scene.h"

namespace alternatives {

namespace {

struct FontImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // premultiplied, as the framework stores it
};

FontImage LoadFontImage(const std::string& path) {
    FontImage image;
    int components = 0;
    unsigned char* p = stbi_load(path.c_str(), &image.width, &image.height, &components, 4);
    if (!p) {
        std::fprintf(stderr, "bench: cannot read %s\n", path.c_str());
        std::exit(2);
    }
    image.rgba.assign(p, p + image.width * image.height * 4);
    stbi_image_free(p);
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        unsigned a = image.rgba[i + 3];
        for (int c = 0; c < 3; ++c) image.rgba[i + c] = static_cast<uint8_t>(image.rgba[i + c] * a / 255);
    }
    return image;
}

uint8_t Byte(uint32_t colour, int i) { return static_cast<uint8_t>(colour >> (8 * i)); }

// ---- SDL2 ---------------------------------------------------------------------

struct SdlSink {
    SDL_Renderer* renderer;
    SDL_Texture* font;
    uint32_t font_colour = 0xffffffffu;

    void Clear() {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
    }
    void Rect(float x, float y, float w, float h, uint32_t c) {
        SDL_SetRenderDrawColor(renderer, Byte(c, 0), Byte(c, 1), Byte(c, 2), Byte(c, 3));
        SDL_FRect r = {x, y, w, h};
        SDL_RenderFillRectF(renderer, &r);
    }
    void Glyph(float x, float y, int sx, int sy, int w, int h, uint32_t c) {
        if (c != font_colour) {
            SDL_SetTextureColorMod(font, Byte(c, 0), Byte(c, 1), Byte(c, 2));
            font_colour = c;
        }
        SDL_Rect src = {sx, sy, w, h};
        SDL_FRect dst = {x, y, static_cast<float>(w), static_cast<float>(h)};
        SDL_RenderCopyF(renderer, font, &src, &dst);
    }
};

class SdlBackend {
public:
    explicit SdlBackend(const FontImage& image) {
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
        SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) Fail("SDL_Init");
        window = SDL_CreateWindow("bench", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, 0);
        if (!window) Fail("SDL_CreateWindow");
        SDL_Renderer* r = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
        if (!r) Fail("SDL_CreateRenderer");
        SDL_GL_SetSwapInterval(0);
        // Premultiplied blending, as the framework blends.
        SDL_BlendMode premultiplied = SDL_ComposeCustomBlendMode(
            SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_ONE,
            SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD);
        SDL_SetRenderDrawBlendMode(r, premultiplied);
        SDL_Texture* t = SDL_CreateTexture(r, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, image.width,
                                           image.height);
        if (!t) Fail("SDL_CreateTexture");
        SDL_SetTextureScaleMode(t, SDL_ScaleModeNearest);
        SDL_UpdateTexture(t, nullptr, image.rgba.data(), image.width * 4);
        SDL_SetTextureBlendMode(t, premultiplied);
        sink = {r, t};
    }
    ~SdlBackend() {
        SDL_DestroyRenderer(sink.renderer);
        SDL_DestroyWindow(window);
        SDL_Quit();
    }
    SdlSink& Sink() { return sink; }
    void Present() { SDL_RenderPresent(sink.renderer); }
    void Poll() {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
    }
    void Read(std::vector<uint8_t>& pixels) {
        SDL_RenderReadPixels(sink.renderer, nullptr, SDL_PIXELFORMAT_ABGR8888, pixels.data(), 640 * 4);
    }
    const char* Renderer() {
        SDL_RendererInfo info;
        SDL_GetRendererInfo(sink.renderer, &info);
        return info.name;
    }

private:
    static void Fail(const char* what) {
        std::fprintf(stderr, "bench: %s: %s\n", what, SDL_GetError());
        std::exit(2);
    }
    SDL_Window* window = nullptr;
    SdlSink sink = {nullptr, nullptr};
};

// ---- immediate mode -----------------------------------------------------------

struct ImmediateSink {
    float uscale = 0, vscale = 0;
    bool texturing = false;

    void Clear() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void Rect(float x, float y, float w, float h, uint32_t c) {
        if (texturing) {
            glDisable(GL_TEXTURE_2D);
            texturing = false;
        }
        glColor4ub(Byte(c, 0), Byte(c, 1), Byte(c, 2), Byte(c, 3));
        glBegin(GL_QUADS);
        glVertex2f(x, y);
        glVertex2f(x + w, y);
        glVertex2f(x + w, y + h);
        glVertex2f(x, y + h);
        glEnd();
    }
    void Glyph(float x, float y, int sx, int sy, int w, int h, uint32_t c) {
        if (!texturing) {
            glEnable(GL_TEXTURE_2D);
            texturing = true;
        }
        float u0 = static_cast<float>(sx) * uscale, u1 = static_cast<float>(sx + w) * uscale;
        float v0 = static_cast<float>(sy) * vscale, v1 = static_cast<float>(sy + h) * vscale;
        float fw = static_cast<float>(w), fh = static_cast<float>(h);
        glColor4ub(Byte(c, 0), Byte(c, 1), Byte(c, 2), Byte(c, 3));
        glBegin(GL_QUADS);
        glTexCoord2f(u0, v0);
        glVertex2f(x, y);
        glTexCoord2f(u1, v0);
        glVertex2f(x + fw, y);
        glTexCoord2f(u1, v1);
        glVertex2f(x + fw, y + fh);
        glTexCoord2f(u0, v1);
        glVertex2f(x, y + fh);
        glEnd();
    }
};

class ImmediateBackend {
public:
    explicit ImmediateBackend(const FontImage& image) {
        if (!glfwInit()) {
            std::fputs("bench: glfwInit failed (no display?)\n", stderr);
            std::exit(2);
        }
        glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
        window = glfwCreateWindow(640, 480, "bench", nullptr, nullptr);
        if (!window) std::exit(2);
        glfwMakeContextCurrent(window);
        glfwSwapInterval(0);
        glViewport(0, 0, 640, 480);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 640, 480, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     image.rgba.data());
        sink.uscale = static_cast<float>(1.0 / image.width);
        sink.vscale = static_cast<float>(1.0 / image.height);
        glDisable(GL_TEXTURE_2D);
    }
    ~ImmediateBackend() {
        glfwDestroyWindow(window);
        glfwTerminate();
    }
    ImmediateSink& Sink() { return sink; }
    void Present() { glfwSwapBuffers(window); }
    void Poll() { glfwPollEvents(); }
    void Read(std::vector<uint8_t>& pixels) {
        std::vector<uint8_t> rows(pixels.size());
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
        for (int y = 0; y < 480; ++y) std::memcpy(&pixels[y * 640 * 4], &rows[(479 - y) * 640 * 4], 640 * 4);
    }

private:
    GLFWwindow* window = nullptr;
    ImmediateSink sink;
};

// ---- the loop -----------------------------------------------------------------

struct Show {
    scene::Text text;
    scene::State state;
};

// One pass of the program's loop with sleeping off: the frame, the swap, the
// events and one update (the loop runs at least one per pass).
template <class Backend>
void Frame(Backend& b, Show& show) {
    scene::DrawFrame(b.Sink(), show.state, show.text);
    b.Present();
    b.Poll();
    scene::Update(show.state, show.text);
}

template <class Backend>
ours::LoopResult Loop(const std::string& font_path, int warm, int frames) {
    FontImage image = LoadFontImage(font_path);
    Backend b(image);
    Show show = {scene::ShowText(image.width, image.height), {}};
    for (int i = 0; i < warm; ++i) Frame(b, show);
    double cpu0 = ThreadCpuNs(), wall0 = WallNs();
    for (int i = 0; i < frames; ++i) Frame(b, show);
    double cpu = ThreadCpuNs() - cpu0, wall = WallNs() - wall0;
    return {cpu / frames, frames / (wall * 1e-9), -1, PeakResidentKiB()};
}

template <class Backend>
std::vector<uint8_t> Read(const std::string& font_path, int frames) {
    FontImage image = LoadFontImage(font_path);
    Backend b(image);
    Show show = {scene::ShowText(image.width, image.height), {}};
    std::vector<uint8_t> pixels(640 * 480 * 4);
    for (int f = 0; f < frames; ++f) {
        scene::DrawFrame(b.Sink(), show.state, show.text);
        if (f == frames - 1) b.Read(pixels);
        b.Present();
        b.Poll();
        scene::Update(show.state, show.text);
    }
    return pixels;
}

}  // namespace

ours::LoopResult RunLoop(Kind kind, const std::string& font_path, int warm, int frames) {
    return kind == Kind::kSdl ? Loop<SdlBackend>(font_path, warm, frames)
                             : Loop<ImmediateBackend>(font_path, warm, frames);
}

std::vector<uint8_t> RenderAndRead(Kind kind, const std::string& font_path, int frames) {
    return kind == Kind::kSdl ? Read<SdlBackend>(font_path, frames) : Read<ImmediateBackend>(font_path, frames);
}

}  // namespace alternatives
