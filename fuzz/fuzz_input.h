// Helpers the fuzz targets share: a check that stops the run with a message
// when an invariant breaks, the graphics set-up and the collector's clean-up
// after an input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "graphics/gl_functions.h"
#include "graphics/graphics_context.h"
#include "runtime/gc.h"
#include "runtime/string.h"

#define FUZZ_CHECK(cond) \
    ((cond) ? void(0) : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond), std::abort()))

// Frees everything the last input made: with only the registered roots, a
// full collection finds every object of the run unreachable.
inline void CollectAll() {
    gc_collect_full();
    gc_reclaim_all();
}

// Collector, graphics globals and a device that draws into nothing.
inline void PrepareGraphics() {
    gc_init();
    gl = NullGl();
    InitGraphicsContextGlobals();
    RegisterGraphicsRoots();
    SetGraphicsDevice(gc_new<gxtkGraphics>());
}
