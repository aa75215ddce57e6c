// The whole module: the arranged score, cut into patterns, with the
// instruments and the song header.
#pragma once

#include <cstdint>
#include <vector>

#include "score.h"
#include "xm_format.h"

namespace moonlit::music {

// Arranges the score into a module: one pattern per section, identical
// sections sharing one pattern.
xm::Module MakeModule(const Score& score);

// The demo's module, "spartanic.xm", as file bytes.
std::vector<std::uint8_t> MakeDemoModuleFile();

// Playing time of the order list once through, in seconds, for a module
// that keeps its first speed and tempo.
double PlayingSeconds(const xm::Module& module);

}  // namespace moonlit::music
