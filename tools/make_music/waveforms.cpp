#include "waveforms.h"

#include <cmath>
#include <cstdlib>

namespace moonlit::music::synth {

namespace {

constexpr double kTwoPi = 6.283185307179586476925;

std::int16_t Round16(double v) { return static_cast<std::int16_t>(std::floor(v + 0.5)); }

// A fixed-seed xorshift generator: white noise that never changes between
// runs or standard libraries.
class XorShift32 {
public:
    explicit XorShift32(std::uint32_t seed) : state(seed) {}
    // Uniform in [-1, 1).
    double Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state;
};

// Scales the frames so that the loudest one reaches peak, and rounds.
std::vector<std::int16_t> Normalise(const std::vector<double>& v, int peak) {
    double loudest = 0;
    for (double x : v) loudest = std::fmax(loudest, std::fabs(x));
    std::vector<std::int16_t> out(v.size());
    double gain = loudest > 0 ? peak / loudest : 0;
    for (std::size_t i = 0; i < v.size(); ++i) out[i] = Round16(v[i] * gain);
    return out;
}

// A linear fade over the last frames, so that a one-shot ends at zero
// instead of with a click.
void FadeTail(std::vector<double>& v, std::size_t frames) {
    if (frames > v.size()) frames = v.size();
    for (std::size_t i = 0; i < frames; ++i) v[v.size() - 1 - i] *= static_cast<double>(i) / frames;
}

}  // namespace

double SineOfCycles(double cycles) {
    double x = cycles - std::floor(cycles);  // [0, 1)
    double sign = 1;
    if (x >= 0.5) {
        x -= 0.5;
        sign = -1;
    }
    if (x > 0.25) x = 0.5 - x;  // sin(pi - t) = sin(t)
    double t = kTwoPi * x;      // [0, pi/2]
    double t2 = t * t;
    // Horner form of t - t^3/3! + t^5/5! ... - t^15/15!.
    double s = 1.0;
    for (int k = 15; k >= 3; k -= 2) s = 1.0 - s * t2 / (static_cast<double>(k) * (k - 1));
    return sign * t * s;
}

double Exp(double x) {
    int halvings = 0;
    while (std::fabs(x) > 0.125) {
        x *= 0.5;
        ++halvings;
    }
    double term = 1, sum = 1;
    for (int k = 1; k <= 12; ++k) {
        term *= x / k;
        sum += term;
    }
    while (halvings-- > 0) sum *= sum;
    return sum;
}

std::vector<std::int16_t> PulseCycle(int length, double duty, double peak_to_peak) {
    const double high_start = length * (0.5 - duty / 2);
    const double high_end = length * (0.5 + duty / 2);
    std::vector<std::int16_t> out(length);
    for (int i = 0; i < length; ++i) {
        // Fraction of this frame's span [i, i+1) that lies in the high part.
        double covered = std::fmin(i + 1.0, high_end) - std::fmax(static_cast<double>(i), high_start);
        if (covered < 0) covered = 0;
        out[i] = Round16(peak_to_peak * (covered - duty));
    }
    return out;
}

std::vector<std::int16_t> PulseWidthSweep(int cycle_length, int cycles_per_sweep, double min_duty, double max_duty,
                                          double peak_to_peak) {
    std::vector<std::int16_t> out;
    out.reserve(static_cast<std::size_t>(cycle_length) * cycles_per_sweep * 2);
    for (int c = 0; c < 2 * cycles_per_sweep; ++c) {
        // Triangle from 0 up to 1 and back, sampled once per cycle.
        int position = c < cycles_per_sweep ? c : 2 * cycles_per_sweep - c;
        double duty = min_duty + (max_duty - min_duty) * position / cycles_per_sweep;
        std::vector<std::int16_t> cycle = PulseCycle(cycle_length, duty, peak_to_peak);
        out.insert(out.end(), cycle.begin(), cycle.end());
    }
    return out;
}

std::vector<std::int16_t> SteppedTriangle(int length, int steps, int amplitude) {
    std::vector<std::int16_t> out(length);
    for (int i = 0; i < length; ++i) {
        // Position along the cycle in steps, 0 .. 2*steps.
        int p = i * 2 * steps / length;
        int level = p < steps ? p : 2 * steps - 1 - p;  // 0 .. steps-1, up then down
        out[i] = Round16(amplitude * (2.0 * level - (steps - 1)) / (steps - 1));
    }
    return out;
}

std::vector<std::int16_t> ShiftRegisterNoise(int length, int amplitude, std::uint16_t seed) {
    std::uint16_t reg = seed ? seed : 1;
    std::vector<std::int16_t> out(length);
    for (int i = 0; i < length; ++i) {
        unsigned feedback = (reg ^ (reg >> 1)) & 1;
        reg = static_cast<std::uint16_t>((reg >> 1) | (feedback << 14));
        out[i] = static_cast<std::int16_t>((reg & 1) ? amplitude : -amplitude);
    }
    return out;
}

std::vector<std::int16_t> Kick(int rate, double seconds, int peak) {
    const int frames = static_cast<int>(rate * seconds);
    std::vector<double> v(frames);
    double phase = 0;
    for (int i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / rate;
        double freq = 48 + 120 * Exp(-t / 0.03);
        double a = SineOfCycles(phase) * Exp(-t / 0.14);
        v[i] = a - a * a * a / 3;  // gentle saturation: a little warmth on the thump
        phase += freq / rate;
    }
    FadeTail(v, static_cast<std::size_t>(rate / 100));
    return Normalise(v, peak);
}

std::vector<std::int16_t> Snare(int rate, double seconds, int peak) {
    const int frames = static_cast<int>(rate * seconds);
    std::vector<double> v(frames);
    XorShift32 noise(0x5EA5A1Du);
    double phase = 0, previous_noise = 0;
    for (int i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / rate;
        double freq = 175 + 70 * Exp(-t / 0.015);
        double body = SineOfCycles(phase) * Exp(-t / 0.035);
        phase += freq / rate;
        double n = noise.Next();
        double bright = 0.55 * n + 0.45 * (n - previous_noise);  // tilt the noise towards the top
        previous_noise = n;
        v[i] = 0.8 * body + 0.75 * bright * Exp(-t / 0.06);
    }
    FadeTail(v, static_cast<std::size_t>(rate / 100));
    return Normalise(v, peak);
}

}  // namespace moonlit::music::synth
