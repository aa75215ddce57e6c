// Helpers the fuzz targets share: a reader that takes numbers and texts off
// the front of libFuzzer's input, the collector set-up, and a check that
// stops the run with a message when an invariant breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/gc.h"
#include "runtime/string.h"

// Takes values off the front of the input; once it runs dry every value is 0
// and every text empty, so each input is a complete case.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data(data), left(size) {}

    size_t Left() const { return left; }
    uint8_t Byte() {
        if (left == 0) return 0;
        --left;
        return *data++;
    }
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
    // Everything left, one unit per byte.
    String Rest() {
        String s = String::FromLatin1(data, static_cast<int>(left));
        data += left;
        left = 0;
        return s;
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

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)
