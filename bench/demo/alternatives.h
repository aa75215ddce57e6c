// The same frame drawn the ways a developer would otherwise draw it, on the
// same driver: SDL2's accelerated renderer (its OpenGL driver, batching on)
// and plain immediate-mode OpenGL 1.1, one glBegin/glEnd per quad. Both draw
// the plain frame of frame_scene.h with the font image data/fonti.png.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/demo/ours.h"

namespace alternatives {

enum class Kind { kSdl, kImmediate };

// The loop as the program runs it with sleeping off: frames as fast as they
// come, one update after each; `warm` frames, then `frames` measured.
ours::LoopResult RunLoop(Kind kind, const std::string& font_path, int warm, int frames);

// Renders `frames` frames, one update after each, and reads the last back as
// RGBA rows top-down.
std::vector<uint8_t> RenderAndRead(Kind kind, const std::string& font_path, int frames);

}  // namespace alternatives
