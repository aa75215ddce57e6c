// Sound synthesis for the module's samples: the waveforms of an old
// programmable sound generator (pulses, a stepped triangle, shift-register
// noise) and two short drums. Everything is computed with plain arithmetic
// in a fixed order (no library transcendental functions, no unseeded
// randomness), so the same program gives the same frames on every machine.
#pragma once

#include <cstdint>
#include <vector>

namespace moonlit::music::synth {

// sin(2 pi cycles), by range reduction and a Taylor polynomial.
double SineOfCycles(double cycles);

// e^x, by halving into the range of a short series and squaring back.
double Exp(double x);

// One cycle of a pulse wave of the given duty (fraction high), high part
// centred in the cycle, edges area-sampled so that fractional duties step
// smoothly. The high and low levels keep a fixed distance (peakToPeak) and
// average to zero, as a chip's output after its coupling capacitor.
std::vector<std::int16_t> PulseCycle(int length, double duty, double peak_to_peak);

// Cycles of a pulse whose duty sweeps from minDuty up to maxDuty and back,
// cyclesPerSweep cycles each way: a pulse-width-modulated loop.
std::vector<std::int16_t> PulseWidthSweep(int cycle_length, int cycles_per_sweep, double min_duty, double max_duty,
                                          double peak_to_peak);

// One cycle of a triangle built from `steps` levels up and the same down,
// the staircase a 4-bit triangle channel makes.
std::vector<std::int16_t> SteppedTriangle(int length, int steps, int amplitude);

// Output of a 15-bit linear-feedback shift register (taps at bits 0 and 1),
// one register step per frame, as +amplitude / -amplitude.
std::vector<std::int16_t> ShiftRegisterNoise(int length, int amplitude, std::uint16_t seed);

// A bass drum: a sine whose pitch falls quickly from a knock to a low hum.
std::vector<std::int16_t> Kick(int rate, double seconds, int peak);

// A snare drum: a short falling tone under a longer burst of noise.
std::vector<std::int16_t> Snare(int rate, double seconds, int peak);

}  // namespace moonlit::music::synth
