// Feeds the bytes of a text file to String::FromBytes and, through an
// in-memory stream, to String::LoadText: both must decode the same text and
// never read past the input.
#include <cstring>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x100000) return 0;
    // A copy of exactly `size` bytes, so a read one past the end is seen.
    std::vector<unsigned char> bytes(data, data + size);
    String text = String::FromBytes(bytes.data(), static_cast<int>(size));
    FUZZ_CHECK(text.Length() <= static_cast<int>(size));
    // Every path gives at least one unit per two bytes after a mark, and
    // the 8-bit fallback exactly one per byte.
    std::vector<unsigned char> utf8;
    text.ToUtf8(utf8);
    FUZZ_CHECK(utf8.size() <= 3 * static_cast<size_t>(text.Length()));

    std::FILE* file = size ? fmemopen(bytes.data(), size, "rb") : std::tmpfile();
    if (!file) return 0;
    String loaded = String::LoadText(file);
    std::fclose(file);
    FUZZ_CHECK(loaded == text);
    return 0;
}
