// Helpers the fuzz targets share: a reader that takes numbers and texts off
// the front of libFuzzer's input, the collector's clean-up after an input,
// the check of a decoded sound block, and a check that stops the run with a
// message when an invariant breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/gc.h"
#include "runtime/string.h"

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

// Takes values off the front of the input; once it runs dry every value is 0
// and every text empty, so each input is a complete case.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data(data), left(size) {}

    size_t Left() const { return left; }
    uint8_t Byte() { return left ? (--left, *data++) : 0; }
    int Int32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
        return static_cast<int>(v);
    }
    // A small index or count, spread around the interesting range -4..n+4.
    int Around(int n) { return static_cast<int>(Byte() % static_cast<unsigned>(n + 9)) - 4; }
    // A text of up to `max` units. Most units come from a four-letter
    // alphabet so that searches match often; the rest are raw bytes.
    String Text(int max) {
        int n = Byte() % (max + 1);
        std::vector<uint16_t> units;
        for (int i = 0; i < n && left > 0; ++i) {
            uint8_t b = Byte();
            units.push_back(b < 192 ? static_cast<uint16_t>("ab, "[b & 3]) : static_cast<uint16_t>(b));
        }
        return String::FromUtf16(units.data(), static_cast<int>(units.size()));
    }

private:
    const uint8_t* data;
    size_t left;
};

// Frees everything the last input made: no roots but the registered ones,
// so a full collection finds every object of the run unreachable.
inline void CollectAll() {
    gc_collect_full();
    gc_reclaim_all();
}

// A decoded sound block (null when the decoder refused the input): its
// numbers make sense, it is no bigger than the input, and every byte the
// caller would use is read, so the sanitizer sees a short block. Frees it.
inline void CheckSamples(unsigned char* samples, size_t input_size, int length, int channels, int bytes_per_sample) {
    if (!samples) return;
    FUZZ_CHECK(length >= 0 && channels > 0 && bytes_per_sample > 0);
    size_t used = static_cast<size_t>(length) * channels * bytes_per_sample;
    FUZZ_CHECK(used <= input_size);
    unsigned sum = 0;
    for (size_t i = 0; i < used; ++i) sum += samples[i];
    (void)sum;
    std::free(samples);
}
