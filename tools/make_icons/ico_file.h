// The Windows icon file format: a directory of images, each stored as a
// 32-bit bottom-up bitmap with its (empty) transparency mask, or as PNG for
// 256 pixels, where bitmaps would be needlessly large.
#pragma once

#include <cstdint>
#include <vector>

#include "rgba_image.h"

namespace moonlit::icons {

// The images, in the given order, as one .ico file.
std::vector<std::uint8_t> EncodeIco(const std::vector<fonts::RgbaImage>& images);

}  // namespace moonlit::icons
