#include "instruments.h"

#include "waveforms.h"

namespace moonlit::music {

namespace {

// Single-cycle waveforms are 32 frames long. A note plays a sample at
// 8363 Hz times 2^((note - C-4 + relative note + finetune/128) / 12); for
// C-4 to sound at 261.63 Hz a 32-frame cycle must play at 8372 Hz, which
// is 8363 Hz raised by 2.4/128 of a semitone.
constexpr int kCycle = 32;
constexpr std::int8_t kCycleFinetune = 2;

// The drums and noise are made at twice the base rate; relative note +12
// plays them at that rate on C-4.
constexpr int kDrumRate = 16726;
constexpr std::int8_t kDrumRelativeNote = 12;

xm::Sample LoopedCycle(const char* name, std::vector<std::int16_t> frames, std::uint8_t pan) {
    xm::Sample s;
    s.name = name;
    s.loop = xm::Loop::kForward;
    s.loop_start = 0;
    s.loop_length = static_cast<std::uint32_t>(frames.size());
    s.frames = std::move(frames);
    s.panning = pan;
    s.finetune = kCycleFinetune;
    return s;
}

xm::Sample DrumSample(const char* name, std::vector<std::int16_t> frames, bool sixteen_bit, bool looped,
                      std::uint8_t pan) {
    xm::Sample s;
    s.name = name;
    s.sixteen_bit = sixteen_bit;
    if (looped) {
        s.loop = xm::Loop::kForward;
        s.loop_length = static_cast<std::uint32_t>(frames.size());
    }
    s.frames = std::move(frames);
    s.panning = pan;
    s.relative_note = kDrumRelativeNote;
    return s;
}

// The sample's own volume is the instrument's mix level, which is what a
// note plays at when no volume is given with it.
xm::Instrument Make(InstrumentId id, const char* name, xm::Sample sample, std::vector<xm::EnvelopePoint> points,
                    int sustain, std::uint16_t fadeout) {
    xm::Instrument ins;
    ins.name = name;
    ins.sample = std::move(sample);
    ins.sample.volume = static_cast<std::uint8_t>(MixLevel(id));
    ins.volume_envelope.points = std::move(points);
    ins.volume_envelope.sustain_point = sustain;
    ins.fadeout = fadeout;
    return ins;
}

}  // namespace

int MixLevel(std::uint8_t instrument) {
    // The mix: the lead on top, the bass and drums close behind, the
    // arpeggios under them and the echo, pads and harmony further back
    // (their parts also play them softer). Together they peak about 3 dB
    // below full scale in the players that mix loudest.
    switch (instrument) {
    case kLead: return 52;
    case kSquare: return 50;
    case kPluck: return 64;
    case kBass: return 46;
    case kKick: return 60;
    case kSnare: return 58;
    case kHat: return 50;
    case kOpenHat: return 50;
    case kCrash: return 50;
    default: return 64;
    }
}

std::vector<xm::Instrument> MakeInstruments() {
    using synth::PulseCycle;
    std::vector<xm::Instrument> list;

    // Lead: the width sweeps 12.5% -> 50% -> 12.5% over 192 cycles, three
    // to five sweeps a second on the melody's notes (E5 to A5), for the
    // chorused, moving tone of a chip lead. Fast attack, gentle decay, held, and a
    // short release.
    list.push_back(Make(kLead, "pulse lead",
                        LoopedCycle("pwm 12-50%", synth::PulseWidthSweep(kCycle, 96, 0.125, 0.5, 145), 128),
                        {{0, 64}, {3, 56}, {14, 44}, {40, 40}}, 3, 1800));
    // Square: hollow and soft, for the echo voice, the harmony and pads;
    // a little to the right, opposite the arpeggios, to widen the picture.
    list.push_back(Make(kSquare, "square", LoopedCycle("square 50%", PulseCycle(kCycle, 0.5, 200), 168),
                        {{0, 48}, {6, 44}, {30, 36}}, 2, 1400));
    // Pluck: a thin 25% pulse that decays to a low hold, so repeated chord
    // arpeggios ring and pulse with the rhythm.
    list.push_back(Make(kPluck, "arp pluck", LoopedCycle("pulse 25%", PulseCycle(kCycle, 0.25, 168), 88),
                        {{0, 64}, {4, 42}, {16, 26}, {48, 18}}, 3, 2600));
    // Bass: the staircase triangle, full and steady while held, released
    // quickly so eighth notes stay apart.
    list.push_back(Make(kBass, "triangle bass", LoopedCycle("tri 4-bit", synth::SteppedTriangle(kCycle, 16, 120), 128),
                        {{0, 64}, {4, 58}, {40, 52}}, 2, 4000));
    list.push_back(Make(kKick, "kick", DrumSample("sine kick", synth::Kick(kDrumRate, 0.22, 30000), true, false, 128),
                        {{0, 64}, {8, 60}, {20, 0}}, -1, 0));
    list.push_back(Make(kSnare, "snare", DrumSample("noise snare", synth::Snare(kDrumRate, 0.18, 120), false, false, 128),
                        {{0, 64}, {5, 44}, {14, 0}}, -1, 0));
    // Three cuts of the register's noise, so each cymbal has its own grain.
    list.push_back(Make(kHat, "hat", DrumSample("lfsr noise a", synth::ShiftRegisterNoise(2048, 100, 0x4A01), false, true, 150),
                        {{0, 64}, {2, 26}, {5, 8}, {8, 0}}, -1, 0));
    list.push_back(Make(kOpenHat, "open hat",
                        DrumSample("lfsr noise b", synth::ShiftRegisterNoise(2048, 100, 0x1357), false, true, 150),
                        {{0, 56}, {4, 36}, {14, 12}, {24, 0}}, -1, 0));
    list.push_back(Make(kCrash, "crash",
                        DrumSample("lfsr noise c", synth::ShiftRegisterNoise(2048, 100, 0x2C3D), false, true, 110),
                        {{0, 64}, {8, 36}, {40, 14}, {90, 0}}, -1, 0));
    return list;
}

}  // namespace moonlit::music
