// A tiny eight-channel tracker module written by the tests themselves: one
// pattern of 64 rows with a looped square-wave sample playing a few notes.
#pragma once

#include <fstream>
#include <string>
#include <vector>

inline void WriteTinyModule(const std::string& path, const std::string& song_name) {
    std::vector<unsigned char> m(20, 0);
    for (size_t i = 0; i < song_name.size() && i < 20; ++i) m[i] = static_cast<unsigned char>(song_name[i]);
    // 31 sample headers; only the first has a sample: 32 words, full volume,
    // looped over its whole length.
    for (int s = 0; s < 31; ++s) {
        unsigned char header[30] = {};
        if (s == 0) {
            header[23] = 32;  // length in words, big-endian
            header[25] = 64;  // volume
            header[29] = 32;  // loop length in words
        }
        m.insert(m.end(), header, header + 30);
    }
    m.push_back(1);    // orders
    m.push_back(127);  // restart byte as trackers write it
    std::vector<unsigned char> orders(128, 0);
    m.insert(m.end(), orders.begin(), orders.end());
    for (char c : std::string("8CHN")) m.push_back(static_cast<unsigned char>(c));
    // 64 rows x 8 channels x 4 bytes; a note every 8 rows on the first two.
    std::vector<unsigned char> pattern(64 * 8 * 4, 0);
    const int periods[] = {428, 381, 339, 320, 285, 254, 226, 214};
    for (int row = 0; row < 64; row += 8) {
        for (int channel = 0; channel < 2; ++channel) {
            unsigned char* cell = &pattern[(row * 8 + channel) * 4];
            int period = periods[row / 8] >> channel;
            cell[0] = static_cast<unsigned char>(period >> 8);
            cell[1] = static_cast<unsigned char>(period & 0xFF);
            cell[2] = 0x10;  // sample 1, no effect
        }
    }
    m.insert(m.end(), pattern.begin(), pattern.end());
    for (int i = 0; i < 64; ++i) m.push_back(i < 32 ? 0x40 : 0xC0);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(m.data()),
                                                static_cast<std::streamsize>(m.size()));
}
