// A font description file's bytes: both text decoders must agree on them
// (FromBytes at once, LoadText in chunks) without reading past the input;
// the text then goes to the description loader through an in-memory host,
// and the font it gives measures and draws text into a GL table of no-ops.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "graphics/font.h"
#include "host/rt_game.h"

namespace {

class MemoryHost : public RtGame {
public:
    String text;  // what every text file reads as

    String LoadTextFile(const String&) override { return text; }

    // Names holding "missing" do not load; the others are 4 x 4 RGBA images
    // whose size is reported to the collector like a decoded file's.
    unsigned char* LoadImageData(const String& path, int* width, int* height, int* components) override {
        if (path.Find(String("missing")) != -1) return nullptr;
        *width = *height = 4;
        *components = 4;
        gc_add_external_bytes(64);
        return static_cast<unsigned char*>(std::memset(std::malloc(64), 0x80, 64));
    }
};

MemoryHost* host = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PrepareGraphics();
    host = new MemoryHost();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    std::vector<unsigned char> bytes(data, data + size);  // exactly `size`: a read past it is seen
    host->text = String::FromBytes(bytes.data(), static_cast<int>(size));
    if (std::FILE* file = size ? fmemopen(bytes.data(), size, "rb") : std::tmpfile()) {
        FUZZ_CHECK(String::LoadText(file) == host->text);
        std::fclose(file);
    }
    c_Font* font = LoadFont(String("fonts/big.fnt"), 0);
    FUZZ_CHECK(font && font->firstChar == -1 && font->pages.Length() >= 0 && font->pageCount >= 0);
    // Every character code the text could hold, plus the description's own.
    String probe = host->text.Slice(0, 64) + "AB\x01 ";
    (void)font->TextWidth(probe);
    Array<String> lines(2);
    lines.Set(0, probe);
    lines.Set(1, probe.Slice(1));
    SetFont(font);
    graphicsDevice->BeginRender();
    BeginRender();
    DrawText(probe, 10, 20, 0.5f, 0.5f);
    DrawText(lines, 0, 0, 1.0f, 1.0f);
    EndRender();
    graphicsDevice->EndRender();
    SetFont(nullptr);
    host->text = String();
    CollectAll();
    return 0;
}
