// The drum parts: kick, snare and cymbals on three channels, one groove per
// section style, fills into the next section and crashes on its first beat.
#include "instruments.h"
#include "parts.h"

namespace moonlit::music {

namespace {

// Pitches the drum samples are played at. The kick and snare sound at the
// rate they were made; the noise is played fast for hats and slower for the
// darker crash.
const int kKickNote = NoteNumber("C4");
const int kSnareNote = NoteNumber("C4");
const int kHatNote = NoteNumber("C6");
const int kOpenHatNote = NoteNumber("A5");
const int kCrashNote = NoteNumber("F4");

void Hit(Timeline& t, int row, int channel, std::uint8_t instrument, int note, int volume) {
    xm::Cell& c = t.At(row, channel);
    c.note = static_cast<std::uint8_t>(note);
    c.instrument = instrument;
    c.volume = xm::SetVolumeColumn(volume);
}

void Kick(Timeline& t, int row, int volume) { Hit(t, row, kKickChannel, kKick, kKickNote, volume); }
void Snare(Timeline& t, int row, int volume) { Hit(t, row, kSnareChannel, kSnare, kSnareNote, volume); }
void Hat(Timeline& t, int row, int volume) { Hit(t, row, kHatChannel, kHat, kHatNote, volume); }
void OpenHat(Timeline& t, int row, int volume) { Hit(t, row, kHatChannel, kOpenHat, kOpenHatNote, volume); }

void Bar(Drums style, int bar, int start, Timeline& t) {
    switch (style) {
    case Drums::kNone:
        break;
    case Drums::kIntro:
        Kick(t, start, 56);
        Kick(t, start + 8, 52);
        for (int r = 2; r < kRowsPerBar; r += 4) Hat(t, start + r, 26);
        break;
    case Drums::kDrive:
        Kick(t, start, 64);
        Kick(t, start + 6, 50);
        Kick(t, start + 10, 56);
        Snare(t, start + 4, 56);
        Snare(t, start + 12, 58);
        if (bar % 2 == 1) Snare(t, start + 15, 16);  // ghost note
        for (int r = 0; r < 14; r += 2) Hat(t, start + r, r % 4 == 0 ? 36 : 24);
        OpenHat(t, start + 14, 30);
        break;
    case Drums::kFourOnTheFloor:
        for (int r = 0; r < kRowsPerBar; r += 4) Kick(t, start + r, 64);
        Snare(t, start + 4, 58);
        Snare(t, start + 12, 60);
        for (int r = 2; r < kRowsPerBar; r += 4) OpenHat(t, start + r, 30);
        for (int r = 1; r < kRowsPerBar; r += 2) Hat(t, start + r, 14);
        break;
    case Drums::kBreak:
        if (bar == 0) Kick(t, start, 40);
        for (int r = 0; r < kRowsPerBar; r += 2) Hat(t, start + r, r % 4 == 0 ? 22 : 16);
        if (bar % 2 == 1) OpenHat(t, start + 14, 22);
        break;
    case Drums::kBuild: {
        // Kicks on the beat; the snare doubles its rate every bar or two
        // and grows louder all the way into the next section.
        for (int r = 0; r < kRowsPerBar; r += 4)
            if (bar < 3 || r < 12) Kick(t, start + r, 46 + 4 * bar);
        const int step = bar == 0 ? 4 : bar < 3 ? 2 : 1;
        for (int r = 0; r < kRowsPerBar; r += step) {
            int position = bar * kRowsPerBar + r;
            Snare(t, start + r, 18 + 46 * position / (kRowsPerSection - 1));
        }
        break;
    }
    }
}

// A last bar that rolls into the next section.
void Fill(int start, Timeline& t) {
    for (int r = 0; r < kRowsPerBar; ++r) {
        t.At(start + r, kKickChannel) = {};
        t.At(start + r, kSnareChannel) = {};
        t.At(start + r, kHatChannel) = {};
    }
    Kick(t, start, 64);
    Kick(t, start + 6, 52);
    for (int r = 0; r < 10; r += 2) Hat(t, start + r, r % 4 == 0 ? 34 : 22);
    const int rolls[6][2] = {{4, 50}, {10, 40}, {12, 44}, {13, 50}, {14, 56}, {15, 64}};
    for (const auto& roll : rolls) Snare(t, start + roll[0], roll[1]);
}

}  // namespace

void WriteDrums(const Score& score, Timeline& t) {
    for (std::size_t i = 0; i < score.sections.size(); ++i) {
        const Section& s = score.sections[i];
        const int start = static_cast<int>(i) * kRowsPerSection;
        for (int bar = 0; bar < kBarsPerSection; ++bar) Bar(s.drums, bar, start + bar * kRowsPerBar, t);
        if (s.fill) Fill(start + (kBarsPerSection - 1) * kRowsPerBar, t);
        if (s.crash) {
            // The crash shares the cymbal channel, so the hats rest for
            // half a bar and let it ring instead of choking it at once.
            for (int r = 1; r < kRowsPerBar / 2; ++r) t.At(start + r, kHatChannel) = {};
            Hit(t, start, kHatChannel, kCrash, kCrashNote, 48);
        }
    }
}

}  // namespace moonlit::music
