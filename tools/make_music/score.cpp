#include "score.h"

#include <string>

namespace moonlit::music {

namespace {

// The lead's phrases. A minor; a token is note:rows plus flags
// (v vibrato, p slide into the note, f fall off, r bend up); '-' rests.

// A: a question that climbs back to where it began...
const char* const kPhraseA1 =
    "E5:3 D5:3 C5:2 D5:2 E5:6v | C5:3 A4:3 C5:2 F5:4v E5:2 D5:2 | "
    "E5:3 G5:3 E5:2 C5:2 D5:2 E5:4 | D5:6v B4:2 G4:4 -:2 D5:2";
// ...and its answer, which leaps up to C6 and falls away at the end.
const char* const kPhraseA2 =
    "E5:3 D5:3 C5:2 D5:2 E5:4 A5:2p | C6:4v A5:2 G5:2 F5:4v E5:2 F5:2 | "
    "G5:6v E5:2 C5:4 D5:2 E5:2 | D5:6 C5:2 B4:4 G4:4f";
// The second time round the answer turns upwards into the chorus.
const char* const kPhraseA2Lift =
    "E5:3 D5:3 C5:2 D5:2 E5:4 A5:2p | C6:4v A5:2 G5:2 F5:4v E5:2 F5:2 | "
    "G5:6v E5:2 C5:4 D5:2 E5:2 | D5:4 E5:2 G5:2 A5:2 B5:6v";
// B: long sung notes over the chorus chords.
const char* const kPhraseB1 =
    "A5:6v G5:2 F5:4 E5:4 | D5:4 E5:2 G5:6v F5:2 E5:2 | "
    "E5:6v B4:2 E5:2 G5:2 B5:4 | A5:12v -:4";
const char* const kPhraseB2 =
    "A5:4 C6:4 A5:2 G5:2 F5:4 | G5:4 B5:4 D6:6v C6:2 | "
    "B5:6v G#5:4 E5:2 F5:2 G#5:2 | A5:8v E5:2 C5:2 A4:4f";
// The last chorus peaks on A6 and steps down into the loop.
const char* const kPhraseB2Peak =
    "A5:4 C6:4 A5:2 G5:2 F5:4 | G5:4 B5:4 D6:6v C6:2 | "
    "B5:6v G#5:4 B5:2 D6:2 E6:2 | A6:8v E6:2 C6:2 B5:2 G#5:2";
// Break: quiet and slow, over the minor fourth.
const char* const kPhraseBreak =
    "D5:6v F5:2 A5:8v | G5:2 E5:2 C5:4 E5:8v | F5:4 E5:4 D5:4 A4:4 | B4:8v G#4:4 -:4";
// Build: silence, then a run up the dominant chord to a held E6.
const char* const kPhraseBuild =
    "-:32 | E4:1 G#4:1 B4:1 E5:1 G#4:1 B4:1 E5:1 G#5:1 B4:1 E5:1 G#5:1 B5:1 E5:1 G#5:1 B5:1 E6:1 | "
    "E6:12vf -:4";
// Intro: a pickup into the first melody.
const char* const kPhrasePickup = "-:48 | -:6 G4:2 A4:2 B4:2 C5:2 D5:2";

}  // namespace

const Score& MoonlitHarborScore() {
    static const Score score{
        "Low Tide Lanterns",
        6,
        140,
        {
            // name       chords          drums                     fill   crash  bass            from arpeggio              upper            lead            volume
            {"intro",     "Am F C G",     Drums::kNone,             false, false, Bass::kHeld,    2,   Arpeggio::kSwell,      Upper::kPad,     nullptr,        0},
            {"intro 2",   "Am F C G",     Drums::kIntro,            true,  false, Bass::kOctaves, 0,   Arpeggio::kSyncopated, Upper::kPad,     kPhrasePickup,  48},
            {"A1",        "Am F C G",     Drums::kDrive,            false, true,  Bass::kOctaves, 0,   Arpeggio::kSyncopated, Upper::kNone,    kPhraseA1,      64},
            {"A2",        "Am F C G",     Drums::kDrive,            true,  false, Bass::kOctaves, 0,   Arpeggio::kSyncopated, Upper::kNone,    kPhraseA2,      64},
            {"B1",        "F G Em Am",    Drums::kFourOnTheFloor,   false, true,  Bass::kDriving, 0,   Arpeggio::kEighths,    Upper::kPad,     kPhraseB1,      64},
            {"B2",        "F G E Am",     Drums::kFourOnTheFloor,   true,  false, Bass::kDriving, 0,   Arpeggio::kEighths,    Upper::kPad,     kPhraseB2,      64},
            {"break",     "Dm Am Dm E",   Drums::kBreak,            false, true,  Bass::kBreak,   0,   Arpeggio::kSparse,     Upper::kNone,    kPhraseBreak,   40},
            {"build",     "F G E E",      Drums::kBuild,            false, false, Bass::kBuild,   0,   Arpeggio::kEighths,    Upper::kNone,    kPhraseBuild,   56},
            {"A1 again",  "Am F C G",     Drums::kDrive,            false, true,  Bass::kOctaves, 0,   Arpeggio::kSyncopated, Upper::kHarmony, kPhraseA1,      64},
            {"A2 lift",   "Am F C G",     Drums::kDrive,            true,  false, Bass::kOctaves, 0,   Arpeggio::kSyncopated, Upper::kHarmony, kPhraseA2Lift,  64},
            {"B1 again",  "F G Em Am",    Drums::kFourOnTheFloor,   false, true,  Bass::kDriving, 0,   Arpeggio::kEighths,    Upper::kHarmony, kPhraseB1,      64},
            {"B2 peak",   "F G E Am",     Drums::kFourOnTheFloor,   true,  false, Bass::kDriving, 0,   Arpeggio::kEighths,    Upper::kHarmony, kPhraseB2Peak,  64},
        },
        2,  // the intro plays once; the loop starts at A1
    };
    return score;
}

std::vector<Chord> BarChords(const Score& score) {
    std::vector<Chord> bars;
    for (const Section& s : score.sections) {
        std::string names = s.chords;
        std::size_t pos = 0;
        while (pos < names.size()) {
            std::size_t end = names.find(' ', pos);
            if (end == std::string::npos) end = names.size();
            if (end > pos) bars.push_back(ParseChord(names.substr(pos, end - pos)));
            pos = end + 1;
        }
    }
    return bars;
}

}  // namespace moonlit::music
