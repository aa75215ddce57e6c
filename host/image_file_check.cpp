// The image size limits, and a walk over a JPEG's marker segments that
// checks every Huffman table's code count.
#include "host/image_file_check.h"

#include <stb_image.h>

#include <vector>

namespace {

// Reads a DHT segment the way the decoder does: table after table while
// its length lasts, each with a class/id byte, 16 code counts and that many
// symbols, taken from the stream even past the segment's end (0 past the
// file's end). Returns where the decoder's reading stops, or 0 when a table
// has more than 256 codes.
size_t HuffmanTablesEnd(const std::vector<unsigned char>& b, size_t at, long length) {
    auto byte = [&](size_t i) -> unsigned { return i < b.size() ? b[i] : 0; };
    long left = length - 2;
    while (left > 0) {
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

bool JpegTablesFit(const std::vector<unsigned char>& b, size_t at) {
    size_t n = b.size();
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
            at = HuffmanTablesEnd(b, at + 4, length);
            if (at == 0) return false;
            continue;
        }
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
    return w <= kMaxImageSide && h <= kMaxImageSide && static_cast<long long>(w) * h <= kMaxImagePixels;
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
