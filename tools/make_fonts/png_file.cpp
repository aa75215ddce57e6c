// PNG encoding with stb_image_write. Its encoder has no time stamps or other
// varying chunks, so equal pixels give equal files.
#include "png_file.h"

#include <stb_image_write.h>

#include <fstream>

namespace moonlit::fonts {
namespace {

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const RgbaImage& image) {
    // The encoder's settings are globals of the library; set them every time
    // so that the output does not depend on anything set elsewhere.
    stbi_write_png_compression_level = 9;
    stbi_write_force_png_filter = -1;
    std::vector<std::uint8_t> out;
    stbi_write_png_to_func(AppendBytes, &out, image.width, image.height, 4, image.pixels.data(),
                           image.width * 4);
    return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

}  // namespace moonlit::fonts
