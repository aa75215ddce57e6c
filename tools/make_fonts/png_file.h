// PNG encoding of the font strips and writing them to disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rgba_image.h"

namespace moonlit::fonts {

// The image as a 4-channel PNG; the same pixels always give the same bytes.
std::vector<std::uint8_t> EncodePng(const RgbaImage& image);

// Writes the bytes to the path, replacing the file; false on failure.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace moonlit::fonts
