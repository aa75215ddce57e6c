// The module's instrument set: synthesised samples with their volume
// envelopes, tuning and stereo placement.
#pragma once

#include <vector>

#include "xm_format.h"

namespace moonlit::music {

// Instrument numbers as pattern cells name them (1-based).
enum InstrumentId : std::uint8_t {
    kLead = 1,      // pulse with a sweeping width
    kSquare = 2,    // 50% square: echo, harmony and pads
    kPluck = 3,     // 25% pulse with a plucked envelope: the arpeggios
    kBass = 4,      // stepped triangle
    kKick = 5,      // pitched sine
    kSnare = 6,     // tone and noise
    kHat = 7,       // shift-register noise, short
    kOpenHat = 8,   // the same noise, longer
    kCrash = 9,     // the same noise, long, played low
    kInstrumentCount = 9,
};

// The instrument's level in the mix, 0 to 64. The parts write volumes as
// dynamics (64 = as loud as the part gets); the volume column the module
// holds is the dynamic scaled by this level, and the sample's own volume is
// the level itself.
int MixLevel(std::uint8_t instrument);

// The instruments in number order (element 0 is instrument 1).
std::vector<xm::Instrument> MakeInstruments();

}  // namespace moonlit::music
