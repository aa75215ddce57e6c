// Feeds the bytes of a text file to String::FromBytes and, through an
// in-memory stream, to String::LoadText: both must decode the same text,
// with at most one unit per byte (the 8-bit fallback), and never read past
// the input.
#include <vector>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x100000) return 0;
    std::vector<unsigned char> bytes(data, data + size);  // exactly `size`: a read past it is seen
    String text = String::FromBytes(bytes.data(), static_cast<int>(size));
    FUZZ_CHECK(text.Length() <= static_cast<int>(size));
    std::FILE* file = size ? fmemopen(bytes.data(), size, "rb") : std::tmpfile();
    if (!file) return 0;
    FUZZ_CHECK(String::LoadText(file) == text);
    std::fclose(file);
    return 0;
}
