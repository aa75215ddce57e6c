// The melodic parts: the lead, its echo, and the eighth channel's pads and
// harmony.
#include <stdexcept>
#include <string>

#include "instruments.h"
#include "parts.h"

namespace moonlit::music {

namespace {

constexpr std::uint8_t kLeadVibrato = 0x53;  // about 4 Hz, 3/8 of a semitone each way
constexpr std::uint8_t kPadVibrato = 0x32;
constexpr std::uint8_t kGlideSpeed = 0x28;  // 2.5 semitones a tick: a quick swoop
constexpr std::uint8_t kFallSpeed = 0x0C;
constexpr std::uint8_t kRiseSpeed = 0x06;
constexpr int kEchoDelayRows = 3;

// Writes a phrase from row `start`. `sounding` says whether a note is
// held on the channel when the phrase begins, and is updated, so that rests
// release only a note that is there and slides start only from one.
void PlacePhrase(Timeline& t, int channel, int start, const std::vector<PhraseNote>& phrase,
                 std::uint8_t instrument, int volume, bool& sounding) {
    int row = start;
    for (const PhraseNote& n : phrase) {
        xm::Cell& cell = t.At(row, channel);
        if (n.note == 0) {
            if (sounding) cell.note = xm::kKeyOff;
            sounding = false;
            row += n.rows;
            continue;
        }
        cell.note = static_cast<std::uint8_t>(n.note);
        if (n.glide && sounding) {
            // No instrument: the note carries on at its volume and only its
            // pitch moves.
            cell.effect = xm::kTonePorta;
            cell.param = kGlideSpeed;
        } else {
            cell.instrument = instrument;
            cell.volume = xm::SetVolumeColumn(volume);
        }
        sounding = true;
        // Vibrato comes in after the note has sounded plainly for a moment.
        if (n.vibrato) {
            int from = n.rows >= 8 ? 3 : n.rows >= 4 ? 2 : 1;
            for (int r = from; r < n.rows; ++r) {
                t.At(row + r, channel).effect = xm::kVibrato;
                t.At(row + r, channel).param = kLeadVibrato;
            }
        }
        if (n.fall || n.rise) {
            int bend_rows = n.rows >= 4 ? 2 : 1;
            for (int r = n.rows - bend_rows; r < n.rows; ++r) {
                xm::Cell& c = t.At(row + r, channel);
                if (r == 0) continue;  // the attack keeps its pitch
                c.effect = n.fall ? xm::kPortaDown : xm::kPortaUp;
                c.param = n.fall ? kFallSpeed : kRiseSpeed;
            }
        }
        row += n.rows;
    }
}

// Pitch classes of A minor, with the chord's own notes swapped in where
// they leave the scale (G# over E major), so harmony never rubs against
// the chord underneath.
bool InScaleOver(int pitch_class, const Chord& chord) {
    static const bool kNatural[12] = {true, false, true, false, true, true, false, true, false, true, false, true};
    for (int tone : {chord.root, chord.Third(), chord.Fifth()}) {
        if (!kNatural[tone]) {
            if (pitch_class == tone) return true;
            if (pitch_class == (tone + 11) % 12) return false;  // the natural the chord replaces
        }
    }
    return kNatural[pitch_class];
}

int ThirdBelow(int note, const Chord& chord) {
    int n = note;
    for (int steps = 0; steps < 2;) {
        --n;
        if (InScaleOver(PitchClass(n), chord)) ++steps;
    }
    return n;
}

}  // namespace

void WriteLead(const Score& score, Timeline& t) {
    bool sounding = false;
    for (std::size_t i = 0; i < score.sections.size(); ++i) {
        const Section& s = score.sections[i];
        int start = static_cast<int>(i) * kRowsPerSection;
        if (!s.lead) {
            if (sounding) t.At(start, kLeadChannel).note = xm::kKeyOff;
            sounding = false;
            continue;
        }
        std::vector<PhraseNote> phrase = ParsePhrase(s.lead);
        if (PhraseRows(phrase) != kRowsPerSection)
            throw std::invalid_argument(std::string("lead phrase of section ") + s.name + " is not 64 rows");
        PlacePhrase(t, kLeadChannel, start, phrase, kLead, s.lead_volume, sounding);
    }
}

void WriteEcho(Timeline& t) {
    for (int row = t.Rows() - 1; row >= kEchoDelayRows; --row) {
        xm::Cell c = t.At(row - kEchoDelayRows, kLeadChannel);
        if (c.instrument) {
            c.instrument = kSquare;
            c.volume = xm::SetVolumeColumn((c.volume - 0x10) * 3 / 8);
        }
        t.At(row, kEchoChannel) = c;
    }
}

void WriteUpper(const Score& score, Timeline& t) {
    const std::vector<Chord> chords = BarChords(score);
    const int pad_floor = NoteNumber("G4");
    bool sounding = false;
    for (std::size_t i = 0; i < score.sections.size(); ++i) {
        const Section& s = score.sections[i];
        const int start = static_cast<int>(i) * kRowsPerSection;
        if (s.upper == Upper::kNone) {
            if (sounding) t.At(start, kUpperChannel).note = xm::kKeyOff;
            sounding = false;
        } else if (s.upper == Upper::kPad) {
            for (int bar = 0; bar < kBarsPerSection; ++bar) {
                const Chord& chord = chords[i * kBarsPerSection + bar];
                const int row = start + bar * kRowsPerBar;
                int volume = s.arpeggio == Arpeggio::kSwell ? 12 + 5 * bar : 22;
                xm::Cell& c = t.At(row, kUpperChannel);
                c.note = static_cast<std::uint8_t>(NoteAtOrAbove(chord.Third(), pad_floor));
                c.instrument = kSquare;
                c.volume = xm::SetVolumeColumn(volume);
                for (int r = 6; r < kRowsPerBar; ++r) {
                    t.At(row + r, kUpperChannel).effect = xm::kVibrato;
                    t.At(row + r, kUpperChannel).param = kPadVibrato;
                }
            }
            sounding = true;
        } else {
            // Harmony: every lead event, a diatonic third lower.
            for (int r = 0; r < kRowsPerSection; ++r) {
                const int row = start + r;
                xm::Cell c = t.At(row, kLeadChannel);
                if (c.note >= 1 && c.note <= xm::kMaxNote) {
                    c.note = static_cast<std::uint8_t>(ThirdBelow(c.note, chords[row / kRowsPerBar]));
                    sounding = true;
                } else if (c.note == xm::kKeyOff) {
                    sounding = false;
                }
                if (c.instrument) {
                    c.instrument = kSquare;
                    c.volume = xm::SetVolumeColumn(26);
                }
                t.At(row, kUpperChannel) = c;
            }
        }
    }
}

}  // namespace moonlit::music
