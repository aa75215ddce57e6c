// Checks of an Ogg Vorbis stream's header packets, made before the decoder
// library sees the stream. The library sizes its tables with int arithmetic
// on numbers written in the file, and when those wrap it allocates a block
// of the wrong size (a negative size inside its arena moves the arena's
// ends past each other). Streams whose headers could lead there are refused.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// The first count packets of the stream, put together from the Ogg pages at
// the file's current position; fewer when the pages end first or a page is
// broken. Reads the file; the caller restores the position.
std::vector<std::vector<unsigned char>> ReadHeaderPackets(std::FILE* file, int count);

// The comment header (second packet): the vendor text, the comment count
// and every comment fit inside the packet.
bool CommentHeaderFits(const std::vector<unsigned char>& packet);

// The set-up header (third packet), read up to the end of its codebooks as
// the decoder will read it: every codebook is whole within the packet, all
// books together spread no more than kMaxCodebookValues entries over their
// dimensions, and nothing in them depends on arithmetic the decoder gets
// wrong.
bool CodebooksFit(const std::vector<unsigned char>& packet);

// entries x dimensions summed over all codebooks. The encoder's own set-ups
// stay below 90,000 (6 channels at its highest quality); the decoder
// expands each of these at set-up (into value tables or residue class
// lists), so this bounds the memory and time a small file can ask for.
constexpr uint64_t kMaxCodebookValues = uint64_t{1} << 20;

// Both checks on the stream at the file's position, which is kept.
bool VorbisHeadersFit(std::FILE* file);
