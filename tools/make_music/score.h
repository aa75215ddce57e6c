// The tune as a musician would sketch it: sections of four bars, each with
// its chords, the style every part plays in it and the lead's phrase.
#pragma once

#include <vector>

#include "notation.h"

namespace moonlit::music {

constexpr int kRowsPerBar = 16;  // a row is a sixteenth note
constexpr int kBarsPerSection = 4;
constexpr int kRowsPerSection = kRowsPerBar * kBarsPerSection;

enum class Drums { kNone, kIntro, kDrive, kFourOnTheFloor, kBreak, kBuild };
enum class Bass { kNone, kHeld, kOctaves, kDriving, kBreak, kBuild };
enum class Arpeggio { kSwell, kSyncopated, kEighths, kSparse };
// What the eighth channel plays: nothing, a held pad on the chords'
// thirds, or the lead's melody a third below.
enum class Upper { kNone, kPad, kHarmony };

struct Section {
    const char* name;
    const char* chords;  // four chord names, one per bar
    Drums drums;
    bool fill;   // a snare fill in the last bar
    bool crash;  // a crash cymbal on the first beat
    Bass bass;
    int bass_from_bar;  // bars before this one leave the bass silent
    Arpeggio arpeggio;
    Upper upper;
    const char* lead;  // a 64-row phrase, or nullptr for none
    int lead_volume;    // 0 to 64
};

struct Score {
    const char* title;
    int speed;  // ticks per row
    int bpm;
    std::vector<Section> sections;  // in playing order
    int restart_section;             // where the song goes on after the last section
};

// The demo's tune.
const Score& MoonlitHarborScore();

// The chord of every bar of the song, in order.
std::vector<Chord> BarChords(const Score& score);

}  // namespace moonlit::music
