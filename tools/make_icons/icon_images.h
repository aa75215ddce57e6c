// The program's icon in the sizes desktops ask for, drawn from the show's
// own look: the plasma's green and teal bands between black bars, the logo
// strip's blocks spelling an M on its dark blue column, and a crescent moon in
// the demo font's silver-to-gold. Each size is drawn on its own pixel grid
// (not scaled down from the largest), so the small ones stay sharp; below
// 32 pixels they leave the moon out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rgba_image.h"

namespace moonlit::icons {

// The sizes of the PNG icons, in pixels a side.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
// The sizes the Windows icon file holds.
constexpr int kIcoSizes[] = {16, 24, 32, 48, 64, 256};

// The icon at `size` pixels a side, RGBA with transparent corners.
fonts::RgbaImage DrawIcon(int size);

struct IconFile {
    std::string name;  // path inside the icons folder
    std::vector<std::uint8_t> bytes;
};

// Every icon file: moonlit-harbor-N.png for each size and moonlit-harbor.ico.
std::vector<IconFile> MakeIconFiles();

}  // namespace moonlit::icons
