// The arranger: turns the score into cells, one part per channel, on a
// single timeline of rows that runs through the whole song.
#pragma once

#include <vector>

#include "notation.h"
#include "score.h"
#include "xm_format.h"

namespace moonlit::music {

enum Channel : int {
    kLeadChannel = 0,
    kEchoChannel = 1,
    kArpChannel = 2,
    kBassChannel = 3,
    kKickChannel = 4,
    kSnareChannel = 5,
    kHatChannel = 6,
    kUpperChannel = 7,
    kChannelCount = 8,
};

class Timeline {
public:
    Timeline(int rows, int channels) : rows(rows), channels(channels), cells(std::size_t(rows) * channels) {}
    int Rows() const { return rows; }
    int Channels() const { return channels; }
    xm::Cell& At(int row, int channel) { return cells[std::size_t(row) * channels + channel]; }
    const xm::Cell& At(int row, int channel) const { return cells[std::size_t(row) * channels + channel]; }

private:
    int rows;
    int channels;
    std::vector<xm::Cell> cells;
};

// Each part writes its channel for the whole score.
void WriteLead(const Score& score, Timeline& t);
// The lead played again three rows later, softer, on the square: the echo
// trick of chip music, which had no reverb to spare.
void WriteEcho(Timeline& t);
void WriteArpeggios(const Score& score, Timeline& t);
void WriteBass(const Score& score, Timeline& t);
void WriteDrums(const Score& score, Timeline& t);
void WriteUpper(const Score& score, Timeline& t);

}  // namespace moonlit::music
