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
    std::uint32_t headerSize = 0;
    std::uint8_t packing = 0;
    int rows = 0;
    std::uint16_t packedSize = 0;
    std::vector<Cell> cells;  // rows * channels, row-major
};

struct Sample {
    std::uint32_t lengthBytes = 0, loopStartBytes = 0, loopLengthBytes = 0;
    std::uint8_t volume = 0, type = 0, panning = 0, reserved = 0;
    std::int8_t finetune = 0, relativeNote = 0;
    std::string name;
    std::vector<int> frames;  // decoded from the deltas

    bool SixteenBit() const { return (type & 0x10) != 0; }
    int LoopType() const { return type & 3; }
};

struct Instrument {
    std::uint32_t headerSize = 0;
    std::string name;
    int sampleCount = 0;
    std::uint32_t sampleHeaderSize = 0;
    std::vector<std::pair<int, int>> volumeEnvelope;
    int volumeSustain = 0;
    std::uint8_t volumeType = 0;
    std::uint16_t fadeout = 0;
    std::vector<Sample> samples;
};

struct Module {
    std::string signature, name, tracker;
    std::uint8_t marker = 0;
    std::uint16_t version = 0;
    std::uint32_t headerSize = 0;
    int songLength = 0, restart = 0, channels = 0, patternCount = 0, instrumentCount = 0;
    std::uint16_t flags = 0;
    int speed = 0, bpm = 0;
    std::vector<std::uint8_t> order;  // songLength entries
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
    std::size_t bytesRead = 0;  // where the reader stopped
};

// Parses the whole file; on a structural fault returns false and says
// where in `error`.
bool Read(const std::vector<std::uint8_t>& bytes, Module* module, std::string* error);

}  // namespace xmread
