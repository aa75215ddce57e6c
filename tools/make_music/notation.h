// A small text notation for writing the tune by hand: note names, chord
// names and melodic phrases.
#pragma once

#include <string>
#include <vector>

namespace moonlit::music {

// "C5", "F#3" -> the module's note number (C-0 = 1, C-4 = 49).
// Throws std::invalid_argument for anything else.
int NoteNumber(const std::string& name);

// Pitch class 0 (C) .. 11 (B) of a note number.
inline int PitchClass(int note) { return (note - 1) % 12; }

struct Chord {
    int root = 0;  // pitch class
    bool minor = false;

    // The arpeggio effect's parameter: third and fifth above the root.
    int ArpeggioParam() const { return minor ? 0x37 : 0x47; }
    int Third() const { return (root + (minor ? 3 : 4)) % 12; }
    int Fifth() const { return (root + 7) % 12; }
    bool Contains(int pitch_class) const {
        return pitch_class == root || pitch_class == Third() || pitch_class == Fifth();
    }
};

// "Am", "F", "C#m" -> chord. Throws std::invalid_argument otherwise.
Chord ParseChord(const std::string& name);

// The lowest note of pitch class pc at or above the note `lowest`.
int NoteAtOrAbove(int pitch_class, int lowest);

// One note of a phrase. note 0 is a rest: the sounding note is released.
struct PhraseNote {
    int note = 0;
    int rows = 1;
    bool vibrato = false;  // 'v': vibrato once the note has sounded a moment
    bool glide = false;    // 'p': slide into this note from the last one
    bool fall = false;     // 'f': pitch drops off over the last rows
    bool rise = false;     // 'r': pitch bends up over the last rows
};

// A phrase such as "E5:3 D5:3 C5:2 | F5:4v -:2 A5:2p". Each token is a
// note name or '-' (rest), a colon, its length in rows and optional flag
// letters. '|' marks bars for the reader and is skipped.
// Throws std::invalid_argument for a malformed token.
std::vector<PhraseNote> ParsePhrase(const std::string& text);

// Total length of a phrase in rows.
int PhraseRows(const std::vector<PhraseNote>& phrase);

}  // namespace moonlit::music
