// A reader for extended-module (XM) files, written apart from the writer in
// tools/make_music so that the tests read the bytes the way a player does:
// by the sizes the file itself declares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xmread {

struct Cell {
    std::uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct Pattern {
    std::uint32_t header_size = 0;
    std::uint8_t packing = 0;
    int rows = 0;
    std::uint16_t packed_size = 0;
    std::vector<Cell> cells;  // rows * channels, row-major
};

struct Sample {
    std::uint32_t length_bytes = 0, loop_start_bytes = 0, loop_length_bytes = 0;
    std::uint8_t volume = 0, type = 0, panning = 0, reserved = 0;
    std::int8_t finetune = 0, relative_note = 0;
    std::string name;
    std::vector<int> frames;  // decoded from the deltas

    bool SixteenBit() const { return (type & 0x10) != 0; }
    int LoopType() const { return type & 3; }
};

struct Instrument {
    std::uint32_t header_size = 0;
    std::string name;
    int sample_count = 0;
    std::uint32_t sample_header_size = 0;
    std::vector<std::pair<int, int>> volume_envelope;
    int volume_sustain = 0;
    std::uint8_t volume_type = 0;
    std::uint16_t fadeout = 0;
    std::vector<Sample> samples;
};

struct Module {
    std::string signature, name, tracker;
    std::uint8_t marker = 0;
    std::uint16_t version = 0;
    std::uint32_t header_size = 0;
    int song_length = 0, restart = 0, channels = 0, pattern_count = 0, instrument_count = 0;
    std::uint16_t flags = 0;
    int speed = 0, bpm = 0;
    std::vector<std::uint8_t> order;  // songLength entries
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
    std::size_t bytes_read = 0;  // where the reader stopped
};

// Parses the whole file; on a structural fault returns false and says
// where in `error`.
bool Read(const std::vector<std::uint8_t>& bytes, Module* module, std::string* error);

}  // namespace xmread
