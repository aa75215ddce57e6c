// A host for fuzz targets that answers file reads from memory: the text of
// one description file, and small page images for every other name, so a
// target feeds the framework's loaders without touching the disk.
#pragma once

#include <cstdlib>
#include <cstring>

#include "graphics/gl_functions.h"
#include "graphics/graphics_context.h"
#include "host/rt_game.h"

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

// Collector, graphics globals and a device that draws into nothing.
inline void PrepareGraphics() {
    gc_init();
    gl = NullGl();
    InitGraphicsContextGlobals();
    RegisterGraphicsRoots();
    SetGraphicsDevice(gc_new<gxtkGraphics>());
}
