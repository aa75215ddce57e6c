// The harmony under the tune: chord arpeggios and the bass line.
#include <stdexcept>

#include "instruments.h"
#include "parts.h"

namespace moonlit::music {

namespace {

constexpr std::uint8_t kBassGlide = 0x30;       // 3 semitones a tick
constexpr std::uint8_t kBassOctaveGlide = 0x10; // an octave over about two rows
constexpr std::uint8_t kBassVibrato = 0x32;
constexpr std::uint8_t kBassRise = 0x05;

void Note(Timeline& t, int row, int channel, int note, std::uint8_t instrument, int volume) {
    xm::Cell& c = t.At(row, channel);
    c.note = static_cast<std::uint8_t>(note);
    c.instrument = instrument;
    c.volume = xm::SetVolumeColumn(volume);
}

void Effect(Timeline& t, int row, int channel, std::uint8_t effect, std::uint8_t param) {
    t.At(row, channel).effect = effect;
    t.At(row, channel).param = param;
}

// Rows of a bar on which the arpeggio is struck again, with their volumes.
struct Strike {
    int row;
    int volume;
};

std::vector<Strike> ArpeggioStrikes(Arpeggio style, int bar) {
    switch (style) {
    case Arpeggio::kSwell: {
        int v = 16 + 6 * bar;
        return {{0, v}, {6, v - 4}, {12, v - 6}};
    }
    case Arpeggio::kSyncopated:  // 3 + 3 + 2 twice: the pull of the groove
        return {{0, 36}, {3, 26}, {6, 28}, {8, 34}, {11, 26}, {14, 28}};
    case Arpeggio::kEighths:
        return {{0, 34}, {2, 22}, {4, 30}, {6, 22}, {8, 32}, {10, 22}, {12, 30}, {14, 24}};
    case Arpeggio::kSparse:
        return {{0, 30}, {8, 24}};
    }
    throw std::logic_error("unknown arpeggio style");
}

}  // namespace

void WriteArpeggios(const Score& score, Timeline& t) {
    const std::vector<Chord> chords = BarChords(score);
    const int floor = NoteNumber("F3");
    for (std::size_t bar = 0; bar < chords.size(); ++bar) {
        const Section& s = score.sections[bar / kBarsPerSection];
        const Chord& chord = chords[bar];
        const int start = static_cast<int>(bar) * kRowsPerBar;
        // The arpeggio effect on every row keeps the chord cycling through
        // root, third and fifth at the tick rate while the note rings.
        for (int r = 0; r < kRowsPerBar; ++r)
            Effect(t, start + r, kArpChannel, xm::kArpeggio, static_cast<std::uint8_t>(chord.ArpeggioParam()));
        for (const Strike& strike : ArpeggioStrikes(s.arpeggio, static_cast<int>(bar % kBarsPerSection)))
            Note(t, start + strike.row, kArpChannel, NoteAtOrAbove(chord.root, floor), kPluck, strike.volume);
    }
}

void WriteBass(const Score& score, Timeline& t) {
    const std::vector<Chord> chords = BarChords(score);
    const int floor = NoteNumber("E2");
    for (std::size_t bar = 0; bar < chords.size(); ++bar) {
        const std::size_t section_index = bar / kBarsPerSection;
        const Section& s = score.sections[section_index];
        const int bar_in_section = static_cast<int>(bar % kBarsPerSection);
        const int start = static_cast<int>(bar) * kRowsPerBar;
        const int root = NoteAtOrAbove(chords[bar].root, floor);
        const Chord& next = chords[(bar + 1) % chords.size()];
        const int next_root = NoteAtOrAbove(next.root, floor);
        if (bar_in_section < s.bass_from_bar) continue;

        switch (s.bass) {
        case Bass::kNone:
            break;
        case Bass::kHeld:
            Note(t, start, kBassChannel, root, kBass, 48);
            for (int r = 8; r < kRowsPerBar; ++r) Effect(t, start + r, kBassChannel, xm::kVibrato, kBassVibrato);
            break;
        case Bass::kOctaves: {
            // Root and octave in eighths, the fifth, then a step from a
            // semitone below into the next chord's root.
            const int approach = next.root == chords[bar].root ? root + 7 : next_root - 1;
            const int line[8] = {root, root + 12, root, root + 12, root, root + 12, root + 7, approach};
            for (int i = 0; i < 8; ++i) Note(t, start + 2 * i, kBassChannel, line[i], kBass, i % 2 ? 46 : 60);
            break;
        }
        case Bass::kDriving: {
            const int line[8] = {root, root, root + 12, root, root, root + 12, root, root + 12};
            for (int i = 0; i < 8; ++i) Note(t, start + 2 * i, kBassChannel, line[i], kBass, i % 2 ? 50 : 62);
            if (bar_in_section % 2 == 1) {
                // Slide down into the downbeat instead of striking it.
                xm::Cell& c = t.At(start, kBassChannel);
                c.instrument = 0;
                c.volume = 0;
                c.effect = xm::kTonePorta;
                c.param = kBassGlide;
            }
            break;
        }
        case Bass::kBreak:
            // The root held, then slid up an octave and left to waver.
            Note(t, start, kBassChannel, root, kBass, 56);
            for (int r = 4; r < 8; ++r) Effect(t, start + r, kBassChannel, xm::kVibrato, kBassVibrato);
            t.At(start + 8, kBassChannel).note = static_cast<std::uint8_t>(root + 12);
            for (int r = 8; r < 11; ++r) Effect(t, start + r, kBassChannel, xm::kTonePorta, kBassOctaveGlide);
            for (int r = 12; r < kRowsPerBar; ++r) Effect(t, start + r, kBassChannel, xm::kVibrato, kBassVibrato);
            break;
        case Bass::kBuild:
            if (bar_in_section < kBarsPerSection - 1) {
                for (int r = 0; r < kRowsPerBar; r += 2) Note(t, start + r, kBassChannel, root, kBass, 48 + 4 * bar_in_section);
            } else {
                // Sixteenths, then one note bent up through the last half bar.
                for (int r = 0; r < 8; ++r) Note(t, start + r, kBassChannel, root, kBass, 60);
                Note(t, start + 8, kBassChannel, root, kBass, 64);
                for (int r = 8; r < kRowsPerBar; ++r) Effect(t, start + r, kBassChannel, xm::kPortaUp, kBassRise);
            }
            break;
        }
    }
}

}  // namespace moonlit::music
