// Walks the Vorbis comment and set-up headers ahead of the decoder library.
// Only what decides the library's allocation sizes and set-up work is
// checked: the comment lengths and the codebooks (whose entries and
// dimensions also size the residues' class lists). Floors, residues and
// mappings are otherwise sized by small fields and left to the library.
#include "audio/vorbis_headers.h"

#include <cstring>
#include <vector>

namespace {

// Every codebook opens with these 24 bits, "BCV" read least significant
// byte first.
constexpr uint32_t kCodebookSync = 0x564342;

uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Reads a packet least significant bit first, as the decoder does; a read
// past the end sets ended instead of inventing zeros.
class BitReader {
public:
    BitReader(const std::vector<unsigned char>& bytes, size_t start_byte)
        : bytes(bytes), at(start_byte * 8) {}

    uint32_t Read(int bits) {
        if (Left() < static_cast<uint64_t>(bits)) {
            ended = true;
            at = bytes.size() * 8;
            return 0;
        }
        uint32_t value = 0;
        for (int i = 0; i < bits; ++i, ++at) {
            value |= static_cast<uint32_t>((bytes[at / 8] >> (at % 8)) & 1) << i;
        }
        return value;
    }
    bool Skip(uint64_t bits) {
        if (Left() < bits) {
            ended = true;
            return false;
        }
        at += bits;
        return true;
    }
    uint64_t Left() const { return bytes.size() * 8 - at; }
    bool Ended() const { return ended; }

private:
    const std::vector<unsigned char>& bytes;
    uint64_t at;
    bool ended = false;
};

int BitLength(uint32_t n) {
    int bits = 0;
    while (n >> bits) ++bits;
    return bits;
}

// The largest r with r^dimensions <= entries, in exact integers; 0 for an
// empty book (which the decoder refuses).
uint32_t Lookup1Values(uint32_t entries, uint32_t dimensions) {
    if (entries == 0 || dimensions == 0) return 0;
    if (dimensions == 1) return entries;
    auto fits = [&](uint64_t r) {
        uint64_t power = 1;
        for (uint32_t i = 0; i < dimensions; ++i) {
            power *= r;
            if (power > entries) return false;
        }
        return true;
    };
    uint32_t r = 1;
    while (fits(r + 1)) ++r;
    return r;
}

// Codeword lengths, one run per length when ordered, otherwise one field
// (after a presence bit when sparse) per entry.
bool SkipLengths(BitReader& bits, uint32_t entries) {
    if (bits.Read(1)) {
        uint32_t length = bits.Read(5) + 1, done = 0;
        while (done < entries && !bits.Ended()) {
            uint32_t run = bits.Read(BitLength(entries - done));
            if (length >= 32 || run > entries - done) return false;
            done += run;
            ++length;
        }
        return !bits.Ended();
    }
    bool sparse = bits.Read(1);
    // Every entry takes at least a bit: more entries than bits left is a
    // broken header, and the decoder would set aside entries bytes first.
    if (entries > bits.Left()) return false;
    for (uint32_t i = 0; i < entries && !bits.Ended(); ++i) {
        if (!sparse || bits.Read(1)) bits.Read(5);
    }
    return !bits.Ended();
}

// tableValues: what the books before this one declared, added to.
bool SkipCodebook(BitReader& bits, uint64_t& table_values) {
    if (bits.Read(24) != kCodebookSync) return false;
    uint32_t dimensions = bits.Read(16);
    uint32_t entries = bits.Read(24);
    if (dimensions == 0 && entries != 0) return false;
    if (!SkipLengths(bits, entries)) return false;
    // The decoder spreads every book's entries over its dimensions (into a
    // value table, or the class lists of a residue that classifies with it).
    uint64_t book_values = uint64_t{entries} * dimensions;
    table_values += book_values;
    if (table_values > kMaxCodebookValues) return false;
    uint32_t lookup = bits.Read(4);
    if (lookup == 0) return !bits.Ended();
    if (lookup > 2) return false;
    bits.Skip(64);  // minimum and delta
    uint32_t value_bits = bits.Read(4) + 1;
    bits.Read(1);
    if (bits.Ended()) return false;
    // The decoder finds the lookup-1 count in single-precision floating
    // point, which overflows once 2^dimensions passes the int range (and
    // then disagrees with the exact count); such books are refused.
    if (lookup == 1 && dimensions > 30) return false;
    uint64_t values = lookup == 1 ? Lookup1Values(entries, dimensions) : book_values;
    return values > 0 && bits.Skip(values * value_bits);
}

// The first count packets of the stream, put together from the Ogg pages at
// the file's current position; fewer when the pages end first or a page is
// broken. Reads the file; the caller restores the position.
std::vector<std::vector<unsigned char>> ReadHeaderPackets(std::FILE* file, int count) {
    std::vector<std::vector<unsigned char>> packets(1);
    while (static_cast<int>(packets.size()) <= count) {
        unsigned char header[27], lacing[255];
        if (std::fread(header, 1, 27, file) != 27 || std::memcmp(header, "OggS", 4) != 0) break;
        size_t segments = header[26];
        if (std::fread(lacing, 1, segments, file) != segments) break;
        for (size_t i = 0; i < segments && static_cast<int>(packets.size()) <= count; ++i) {
            std::vector<unsigned char>& packet = packets.back();
            size_t at = packet.size();
            packet.resize(at + lacing[i]);
            if (std::fread(packet.data() + at, 1, lacing[i], file) != lacing[i]) {
                packet.resize(at);
                packets.pop_back();
                return packets;
            }
            if (lacing[i] < 255) packets.emplace_back();
        }
    }
    packets.pop_back();  // the one being put together
    return packets;
}

// The comment header (second packet): the vendor text, the comment count
// and every comment fit inside the packet.
bool CommentHeaderFits(const std::vector<unsigned char>& packet) {
    size_t at = 7;  // packet type 3 and "vorbis"
    auto length = [&](uint64_t& n) {
        if (at + 4 > packet.size()) return false;
        n = Le32(packet, at);
        at += 4;
        return true;
    };
    uint64_t n = 0;
    if (packet.size() < at || !length(n) || n > packet.size() - at) return false;
    at += static_cast<size_t>(n);
    uint64_t count = 0;
    if (!length(count) || count > (packet.size() - at) / 4) return false;
    for (uint64_t i = 0; i < count; ++i) {
        if (!length(n) || n > packet.size() - at) return false;
        at += static_cast<size_t>(n);
    }
    return true;
}

// The set-up header (third packet), read up to the end of its codebooks.
bool CodebooksFit(const std::vector<unsigned char>& packet) {
    if (packet.size() < 7) return false;
    BitReader bits(packet, 7);  // packet type 5 and "vorbis"
    uint32_t books = bits.Read(8) + 1;
    uint64_t table_values = 0;
    for (uint32_t i = 0; i < books; ++i) {
        if (!SkipCodebook(bits, table_values)) return false;
    }
    return !bits.Ended();
}

}  // namespace

bool VorbisHeadersFit(std::FILE* file) {
    long start = std::ftell(file);
    if (start < 0) return false;
    std::vector<std::vector<unsigned char>> packets = ReadHeaderPackets(file, 3);
    if (std::fseek(file, start, SEEK_SET) != 0) return false;
    return packets.size() == 3 && CommentHeaderFits(packets[1]) && CodebooksFit(packets[2]);
}
