// The extended-module (XM) file format: an in-memory module and its writer.
// The writer lays the bytes out exactly as the format's readers expect them:
// the 60-byte file header and 276-byte song header, packed patterns, then
// per instrument its header, sample headers and delta-encoded sample data.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace moonlit::music::xm {

// Note values of a pattern cell: 1 is C-0, 49 is C-4 (8363 Hz for a sample
// with relative note 0), 96 is B-7; 97 releases the note (key off).
constexpr std::uint8_t kNoNote = 0;
constexpr std::uint8_t kKeyOff = 97;
constexpr int kMaxNote = 96;

// Effect numbers as trackers show them (0 to 9, A = 10 and so on).
enum Effect : std::uint8_t {
    kArpeggio = 0x0,
    kPortaUp = 0x1,
    kPortaDown = 0x2,
    kTonePorta = 0x3,
    kVibrato = 0x4,
    kVolumeSlide = 0xA,
    kSetVolume = 0xC,
    kExtended = 0xE,
    kSetSpeed = 0xF,
};

// One cell of a pattern. The volume byte is the raw column value: 0 for
// nothing, 0x10 + v (v = 0 to 64) to set the volume.
struct Cell {
    std::uint8_t note = kNoNote;
    std::uint8_t instrument = 0;
    std::uint8_t volume = 0;
    std::uint8_t effect = 0;
    std::uint8_t param = 0;

    bool Empty() const { return note == 0 && instrument == 0 && volume == 0 && effect == 0 && param == 0; }
    bool operator==(const Cell& o) const {
        return note == o.note && instrument == o.instrument && volume == o.volume && effect == o.effect &&
               param == o.param;
    }
};

// The volume-column byte that sets volume v (0 to 64).
inline std::uint8_t SetVolumeColumn(int v) { return static_cast<std::uint8_t>(0x10 + v); }

struct Pattern {
    int rows = 64;
    int channels = 8;
    std::vector<Cell> cells;  // row-major: rows * channels

    Pattern() = default;
    Pattern(int row_count, int channel_count)
        : rows(row_count), channels(channel_count), cells(static_cast<std::size_t>(row_count) * channel_count) {}
    Cell& At(int row, int channel) { return cells[static_cast<std::size_t>(row) * channels + channel]; }
    const Cell& At(int row, int channel) const { return cells[static_cast<std::size_t>(row) * channels + channel]; }
    bool operator==(const Pattern& o) const { return rows == o.rows && channels == o.channels && cells == o.cells; }
};

// An envelope point: x in ticks from the note start, y from 0 to 64.
struct EnvelopePoint {
    std::uint16_t tick;
    std::uint16_t value;
};

// A volume envelope; sustain holds at that point until the note is released.
struct Envelope {
    std::vector<EnvelopePoint> points;  // at most 12, first at tick 0
    int sustain_point = -1;              // -1: none
};

enum class Loop : std::uint8_t { kNone = 0, kForward = 1, kPingPong = 2 };

// Sample frames are kept as 16-bit values; an 8-bit sample keeps them in
// -128..127. Loop start and length count frames, not bytes.
struct Sample {
    std::string name;
    std::vector<std::int16_t> frames;
    bool sixteen_bit = false;
    Loop loop = Loop::kNone;
    std::uint32_t loop_start = 0;
    std::uint32_t loop_length = 0;
    std::uint8_t volume = 64;    // 0 to 64
    std::int8_t finetune = 0;    // 1/128 semitone
    std::uint8_t panning = 128;  // 0 left, 255 right
    std::int8_t relative_note = 0;
};

// An instrument with one sample, used for every note.
struct Instrument {
    std::string name;
    Sample sample;
    Envelope volume_envelope;
    std::uint16_t fadeout = 0;  // subtracted from 32768 per tick after key off
};

struct Module {
    std::string name;     // at most 20 characters
    std::string tracker;  // at most 20 characters
    int channels = 8;
    int restart_position = 0;
    bool linear_frequencies = true;
    int speed = 6;  // ticks per row
    int bpm = 125;  // tick length = 2.5 s / bpm
    std::vector<std::uint8_t> order;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

// The packed form of one pattern's cells (the bytes after its header).
std::vector<std::uint8_t> PackPattern(const Pattern& pattern);

// The whole file. Throws std::invalid_argument for a module the format
// cannot hold (names too long, notes, volumes or counts out of range).
std::vector<std::uint8_t> WriteModule(const Module& module);

}  // namespace moonlit::music::xm
