// The set of font images the project ships, each drawn from a DejaVu face
// and encoded as PNG, ready to be written under its file name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace moonlit::fonts {

constexpr const char* kDefaultFontDir = "/usr/share/fonts/truetype/dejavu";

struct FontImageFile {
    std::string name;  // file name inside the data folder
    std::vector<std::uint8_t> png;
};

// Draws every font image from the faces in fontDir. On failure returns false
// and says which face could not be read.
bool MakeFontImages(const std::string& font_dir, std::vector<FontImageFile>* files,
                    std::string* error);

}  // namespace moonlit::fonts
