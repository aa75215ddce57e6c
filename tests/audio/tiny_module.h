// A tiny eight-channel tracker module written by the tests themselves: one
// pattern of 64 rows with a looped square-wave sample playing a few notes.
#pragma once

#include <string>

#include "support/temp_folder.h"

inline void WriteTinyModule(const std::string& path, const std::string& song_name) {
    std::string m = song_name.substr(0, 20);
    m.resize(20, '\0');
    // 31 sample headers; only the first has a sample: 32 words (big-endian),
    // full volume, looped over its whole length.
    std::string first(30, '\0');
    first[23] = 32, first[25] = 64, first[29] = 32;
    m += first + std::string(30 * 30, '\0');
    m += std::string("\1\177") + std::string(128, '\0') + "8CHN";  // one order; restart byte as trackers write it
    // 64 rows x 8 channels x 4 bytes; a note every 8 rows on the first two.
    std::string pattern(64 * 8 * 4, '\0');
    const int periods[] = {428, 381, 339, 320, 285, 254, 226, 214};
    for (int row = 0; row < 64; row += 8) {
        for (int channel = 0; channel < 2; ++channel) {
            char* cell = &pattern[(row * 8 + channel) * 4];
            int period = periods[row / 8] >> channel;
            cell[0] = char(period >> 8), cell[1] = char(period & 0xFF), cell[2] = 0x10;  // sample 1, no effect
        }
    }
    m += pattern;
    for (int i = 0; i < 64; ++i) m += char(i < 32 ? 0x40 : 0xC0);
    WriteFileBytes(path, m);
}
