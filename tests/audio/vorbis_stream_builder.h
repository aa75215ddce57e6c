// Builds small Ogg Vorbis streams bit by bit, so a test can put a set-up
// header in front of the decoder that no encoder would write: the three
// header packets on two Ogg pages with real checksums, and no audio.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Packs values least significant bit first, as Vorbis packets are read.
class BitWriter {
public:
    void Put(uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i) {
            if (used % 8 == 0) bytes.push_back(0);
            if ((value >> i) & 1) bytes.back() |= static_cast<uint8_t>(1u << (used % 8));
            ++used;
        }
    }
    void PutText(const char* text) {
        for (; *text; ++text) Put(static_cast<uint8_t>(*text), 8);
    }
    const std::vector<uint8_t>& Bytes() const { return bytes; }

private:
    std::vector<uint8_t> bytes;
    size_t used = 0;
};

// The shape of the one codebook the set-up header declares.
struct TestCodebook {
    uint32_t dimensions = 1;
    uint32_t entries = 2;
    bool ordered = false;
    bool sparse = false;
    int lookup_type = 0;
};

// The set-up packet: one codebook and nothing after it (the decoder gives
// up at the missing time-domain section, if it gets that far).
inline std::vector<uint8_t> SetupPacket(const TestCodebook& book) {
    BitWriter w;
    w.Put(5, 8);
    w.PutText("vorbis");
    w.Put(0, 8);  // one codebook
    w.Put(0x564342, 24);
    w.Put(book.dimensions, 16);
    w.Put(book.entries, 24);
    w.Put(book.ordered, 1);
    if (book.ordered) {
        // Every entry 16 bits long, all in one run: a complete code when
        // there are 65,536 entries.
        w.Put(15, 5);
        uint32_t left = book.entries;
        int bits = 0;
        while (left >> bits) ++bits;
        w.Put(book.entries, bits);
    } else {
        w.Put(book.sparse, 1);
        for (int i = 0; i < 16; ++i) {  // only the first few entries are present
            if (book.sparse) w.Put(1, 1);
            w.Put(0, 5);
        }
    }
    w.Put(static_cast<uint32_t>(book.lookup_type), 4);
    if (book.lookup_type > 0) {
        w.Put(0, 32);  // minimum
        w.Put(0, 32);  // delta
        w.Put(0, 4);   // one bit per value
        w.Put(0, 1);
        w.Put(0, 8);
    }
    return w.Bytes();
}

inline std::vector<uint8_t> IdentificationPacket() {
    BitWriter w;
    w.Put(1, 8);
    w.PutText("vorbis");
    w.Put(0, 32);     // version
    w.Put(1, 8);      // channels
    w.Put(8000, 32);  // sample rate
    w.Put(0, 32);
    w.Put(0, 32);
    w.Put(0, 32);
    w.Put(8, 4);   // short blocks of 256
    w.Put(11, 4);  // long blocks of 2048
    w.Put(1, 1);   // framing
    return w.Bytes();
}

inline std::vector<uint8_t> CommentPacket() {
    BitWriter w;
    w.Put(3, 8);
    w.PutText("vorbis");
    w.Put(4, 32);
    w.PutText("test");
    w.Put(0, 32);  // no comments
    w.Put(1, 1);
    return w.Bytes();
}

inline uint32_t OggChecksum(const std::vector<uint8_t>& page) {
    uint32_t crc = 0;
    for (uint8_t byte : page) {
        crc ^= static_cast<uint32_t>(byte) << 24;
        for (int i = 0; i < 8; ++i) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

// One Ogg page holding whole packets.
inline std::vector<uint8_t> OggPage(const std::vector<std::vector<uint8_t>>& packets, uint32_t sequence,
                                    uint8_t flags) {
    std::vector<uint8_t> lacing, body;
    for (const auto& packet : packets) {
        size_t n = packet.size();
        for (; n >= 255; n -= 255) lacing.push_back(255);
        lacing.push_back(static_cast<uint8_t>(n));
        body.insert(body.end(), packet.begin(), packet.end());
    }
    std::vector<uint8_t> page = {'O', 'g', 'g', 'S', 0, flags};
    page.resize(page.size() + 8, 0);  // granule position
    for (uint32_t v : {0x4d4f4f4eu, sequence, 0u}) {  // serial, sequence, checksum
        for (int i = 0; i < 4; ++i) page.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    page.push_back(static_cast<uint8_t>(lacing.size()));
    page.insert(page.end(), lacing.begin(), lacing.end());
    page.insert(page.end(), body.begin(), body.end());
    uint32_t crc = OggChecksum(page);
    for (int i = 0; i < 4; ++i) page[22 + i] = static_cast<uint8_t>(crc >> (8 * i));
    return page;
}

// The whole stream: identification on the first page, comment and set-up
// on the second.
inline std::string StreamWithCodebook(const TestCodebook& book) {
    std::vector<uint8_t> first = OggPage({IdentificationPacket()}, 0, 2);
    std::vector<uint8_t> second = OggPage({CommentPacket(), SetupPacket(book)}, 1, 0);
    std::string stream(first.begin(), first.end());
    stream.append(second.begin(), second.end());
    return stream;
}
