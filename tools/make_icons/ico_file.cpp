// Writes .ico files byte by byte, little-endian, with nothing that varies
// from run to run.
#include "ico_file.h"

#include "png_file.h"

namespace moonlit::icons {
namespace {

constexpr int kDirectoryBytes = 6;
constexpr int kEntryBytes = 16;
constexpr int kBitmapHeaderBytes = 40;
constexpr int kPngFromSize = 256;

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, unsigned value) {
    Put16(out, value & 0xffff);
    Put16(out, value >> 16);
}

// The bitmap form: a header that counts the mask's rows in its height, the
// pixels as BGRA from the bottom row up, then the 1-bit mask (set where a
// pixel is fully transparent) with rows padded to 32 bits.
std::vector<std::uint8_t> EncodeBitmap(const fonts::RgbaImage& image) {
    int mask_row_bytes = (image.width + 31) / 32 * 4;
    unsigned pixel_bytes = unsigned(image.width * image.height * 4);
    unsigned mask_bytes = unsigned(mask_row_bytes * image.height);
    std::vector<std::uint8_t> out;
    Put32(out, kBitmapHeaderBytes);
    Put32(out, unsigned(image.width));
    Put32(out, unsigned(image.height * 2));
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, 0);   // uncompressed
    Put32(out, pixel_bytes + mask_bytes);
    for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution and palette: unused
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.Pixel(x, y);
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(std::size_t(mask_row_bytes), 0);
        for (int x = 0; x < image.width; ++x)
            if (image.Pixel(x, y)[3] == 0) row[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeIco(const std::vector<fonts::RgbaImage>& images) {
    std::vector<std::vector<std::uint8_t>> blobs;
    for (const fonts::RgbaImage& image : images)
        blobs.push_back(image.width >= kPngFromSize ? fonts::EncodePng(image) : EncodeBitmap(image));
    std::vector<std::uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // an icon, not a cursor
    Put16(out, unsigned(images.size()));
    unsigned offset = unsigned(kDirectoryBytes + kEntryBytes * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        // A side of 256 is written as 0: the field is one byte.
        out.push_back(std::uint8_t(images[i].width & 0xff));
        out.push_back(std::uint8_t(images[i].height & 0xff));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, unsigned(blobs[i].size()));
        Put32(out, offset);
        offset += unsigned(blobs[i].size());
    }
    for (const auto& blob : blobs) out.insert(out.end(), blob.begin(), blob.end());
    return out;
}

}  // namespace moonlit::icons
