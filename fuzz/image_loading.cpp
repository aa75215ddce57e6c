// Feeds image files (PNG and whatever else stb_image takes) to the desktop
// host's LoadImageData through a real file, then to surfaces, the three
// LoadImage forms and both font loaders. The last four bytes of the input
// choose the frame counts and flags; image files ignore bytes after their
// end, so the seeds stay valid files.
#include <unistd.h>

#include <stb_image.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz/fuzz_input.h"
#include "graphics/font.h"
#include "graphics/gxtk_surface.h"
#include "graphics/image.h"
#include "host/glfw_game.h"
#include "host/image_file_check.h"

namespace {

std::string image_path;

// Stored pixels are premultiplied: no colour byte above its alpha.
void CheckSurface(const gxtkSurface* s) {
    FUZZ_CHECK(s->width > 0 && s->height > 0 && s->depth >= 1 && s->depth <= 4);
    for (size_t i = 0, count = static_cast<size_t>(s->width) * s->height; i < count; ++i) {
        const unsigned char* p = s->data + i * s->depth;
        if (s->depth == 4) FUZZ_CHECK(p[0] <= p[3] && p[1] <= p[3] && p[2] <= p[3]);
        if (s->depth == 2) FUZZ_CHECK(p[0] <= p[1]);
    }
}

// Images over a megapixel are left out: under the sanitizers they outlast
// the time limit per input (the host's size limits have tests of their
// own). The decoder is asked for the size after the host's check, as there.
bool TooLargeToDecodeHere() {
    std::FILE* f = std::fopen(image_path.c_str(), "rb");
    if (!f) return true;
    int w = 0, h = 0, c = 0;
    // A top-down BMP reports its height negative.
    bool large = ImageFileIsSafeToDecode(f) && stbi_info_from_file(f, &w, &h, &c) &&
                 std::llabs(static_cast<long long>(w) * h) > (1 << 20);
    std::fclose(f);
    return large;
}

void LoadEveryWay(const String& path, int a, int b, int flags) {
    c_Image* whole = LoadImage(path, flags);
    if (!whole) return;
    CheckSurface(whole->surface);
    // Counts and sizes that fit, as the loaders' callers guarantee.
    int w = whole->surface->Width(), h = whole->surface->Height();
    int strip = 1 + a % w, fw = 1 + a % w, fh = 1 + b % h;
    // Some broken JPEGs decode differently a second time (stb_image reads
    // memory it never wrote): only a loaded image is checked.
    if (c_Image* frames = LoadImage(path, strip, flags)) FUZZ_CHECK(frames->frames.Length() == strip);
    if (c_Image* grid = LoadImage(path, fw, fh, 1 + b % ((w / fw) * (h / fh)), flags))
        FUZZ_CHECK(grid->frames.Length() >= 1);
    if (c_Font* font = LoadFont(path, 32, 1 + a % 128, (b & 1) != 0)) {
        FUZZ_CHECK(font->pages.Length() == 1);
        (void)font->TextWidth(String("Harbor"));
    }
    LoadFont(path, fw, fh, 0, 0, fw, fh, 32, 1 + b % 96);
    whole->surface->Discard();
    whole->surface->Discard();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PrepareGraphics();
    new RtGlfwGame();  // the real image loader; no window needed
    image_path = "/tmp/moonlit-fuzz-image-" + std::to_string(getpid()) + ".png";
    std::atexit([] { std::remove(image_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > 262144) return 0;
    if (!std::ofstream(image_path, std::ios::binary).write(reinterpret_cast<const char*>(data), size)) return 0;
    if (TooLargeToDecodeHere()) return 0;
    const uint8_t* tail = data + size - 4;
    LoadEveryWay(String(image_path.c_str()), tail[0] | tail[1] << 8, tail[2], tail[3] & 7);
    CollectAll();
    return 0;
}
