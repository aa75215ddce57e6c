// Checks of an Ogg Vorbis stream's header packets, made before the decoder
// library sees the stream. The library sizes its tables with int arithmetic
// on numbers written in the file, and when those wrap it allocates a block
// of the wrong size (a negative size inside its arena moves the arena's
// ends past each other). Streams whose headers could lead there are refused.
#pragma once

#include <cstdint>
#include <cstdio>

// entries x dimensions summed over all codebooks. The encoder's own set-ups
// stay below 90,000 (6 channels at its highest quality); the decoder
// expands each of these at set-up (into value tables or residue class
// lists), so this bounds the memory and time a small file can ask for.
constexpr uint64_t kMaxCodebookValues = uint64_t{1} << 20;

// True when the stream at the file's position (which is kept) has whole
// comment and set-up headers, the comment header's vendor text, count and
// comments fit inside its packet, and the set-up's codebooks, read as the
// decoder will read them, are whole within their packet, spread no more
// than kMaxCodebookValues entries over their dimensions together, and
// depend on no arithmetic the decoder gets wrong.
bool VorbisHeadersFit(std::FILE* file);
