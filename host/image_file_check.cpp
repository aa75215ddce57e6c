// The image size limits, and a walk over a JPEG's marker segments that
// checks every Huffman table's code count and that every scan decodes with
// tables the file has defined.
#include "host/image_file_check.h"

#include <stb_image.h>

#include <cstdlib>
#include <vector>

namespace {

// Which of the four DC and four AC Huffman tables the file has defined so
// far. The decoder keeps its tables in memory it never clears, so a scan
// naming a table no DHT segment filled decodes through whatever was there
// and indexes its arrays with it.
struct HuffmanTables {
    bool defined[2][4] = {};
    bool progressive = false;
};

// Reads a DHT segment the way the decoder does: table after table while
// its length lasts, each with a class/id byte, 16 code counts and that many
// symbols, taken from the stream even past the segment's end (0 past the
// file's end). Returns where the decoder's reading stops, or 0 when a table
// has more than 256 codes.
size_t HuffmanTablesEnd(const std::vector<unsigned char>& b, size_t at, long length, HuffmanTables& tables) {
    auto byte = [&](size_t i) -> unsigned { return i < b.size() ? b[i] : 0; };
    long left = length - 2;
    while (left > 0) {
        unsigned kind = byte(at) >> 4, id = byte(at) & 15;
        if (kind <= 1 && id <= 3) tables.defined[kind][id] = true;  // others end the decoding
        long codes = 0;
        for (size_t i = 1; i <= 16; ++i) codes += byte(at + i);
        if (codes > 256) return 0;
        at += 17 + static_cast<size_t>(codes);
        left -= 17 + codes;
    }
    return at;
}

// The decoder takes a file for a JPEG when it starts with 0xFF, any number
// of fill bytes 0xFF, and the start-of-image marker 0xD8. Returns where the
// markers begin, or 0 for any other file.
size_t JpegStart(const std::vector<unsigned char>& b) {
    if (b.empty() || b[0] != 0xFF) return 0;
    size_t at = 1;
    while (at < b.size() && b[at] == 0xFF) ++at;
    return at < b.size() && b[at] == 0xD8 ? at + 1 : 0;
}

// A scan header (SOS): each component names a DC and an AC table. A
// sequential scan decodes with both; a progressive one with the DC table
// in its first DC pass, with the AC table in AC passes, and with neither
// when it refines DC bits.
bool ScanTablesDefined(const std::vector<unsigned char>& b, size_t at, const HuffmanTables& tables) {
    auto byte = [&](size_t i) -> unsigned { return i < b.size() ? b[i] : 0; };
    unsigned components = byte(at);
    size_t spectral = at + 1 + 2 * components;
    bool dc_pass = byte(spectral) == 0, refining = (byte(spectral + 2) >> 4) != 0;
    bool uses_dc = !tables.progressive || (dc_pass && !refining);
    bool uses_ac = !tables.progressive || !dc_pass;
    for (unsigned i = 0; i < components; ++i) {
        unsigned pick = byte(at + 2 + 2 * i), dc = pick >> 4, ac = pick & 15;
        if (uses_dc && dc <= 3 && !tables.defined[0][dc]) return false;
        if (uses_ac && ac <= 3 && !tables.defined[1][ac]) return false;
    }
    return true;
}

bool JpegTablesFit(const std::vector<unsigned char>& b, size_t at) {
    size_t n = b.size();
    HuffmanTables tables;
    while (at + 1 < n) {
        if (b[at] != 0xFF) {  // entropy-coded data between markers
            ++at;
            continue;
        }
        unsigned marker = b[at + 1];
        bool standalone = marker == 0xFF || marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
        if (standalone) {
            at += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (marker == 0xD9) return true;
        long length = static_cast<long>((at + 2 < n ? b[at + 2] : 0) << 8 | (at + 3 < n ? b[at + 3] : 0));
        if (marker == 0xC4) {
            at = HuffmanTablesEnd(b, at + 4, length, tables);
            if (at == 0) return false;
            continue;
        }
        if (marker == 0xC2) tables.progressive = true;
        if (marker == 0xDA && !ScanTablesDefined(b, at + 4, tables)) return false;
        at += 2 + static_cast<size_t>(length < 2 ? 2 : length);
    }
    return true;
}

}  // namespace

bool ImageBytesAreSafeToDecode(const std::vector<unsigned char>& bytes) {
    if (size_t start = JpegStart(bytes))
        if (!JpegTablesFit(bytes, start)) return false;
    int w = 0, h = 0, components = 0;
    if (!stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &components)) return true;
    // A top-down BMP reports its height negative; the decoder allocates for
    // its magnitude.
    long long width = std::llabs(w), height = std::llabs(h);
    return width <= kMaxImageSide && height <= kMaxImageSide && width * height <= kMaxImagePixels;
}

bool ReadImageFile(std::FILE* file, std::vector<unsigned char>& bytes) {
    bytes.clear();
    unsigned char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > 0x7fffffffu) return false;
    }
    return !std::ferror(file);
}

bool ImageFileIsSafeToDecode(std::FILE* file) {
    long start = std::ftell(file);
    std::vector<unsigned char> bytes;
    bool safe = !ReadImageFile(file, bytes) || ImageBytesAreSafeToDecode(bytes);
    if (start >= 0) std::fseek(file, start, SEEK_SET);
    return safe;
}
