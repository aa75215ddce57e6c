// Image files, screenshots and the show's look (images.h).
#include "support/images.h"

#include <stb/stb_image.h>

#include "support/temp_folder.h"

Image LoadImageFile(const std::string& path) {
    Image image;
    int stored = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &image.width, &image.height, &stored, 3);
    if (!pixels) return {};
    image.pixels.assign(pixels, pixels + size_t(image.width) * image.height * 3);
    stbi_image_free(pixels);
    return image;
}

Image Screenshot(const std::string& window) {
    TempFolder folder("shot");
    if (Shell("import -window " + window + " " + (folder / "shot.png")).status != 0) return {};
    return LoadImageFile(folder / "shot.png");
}

std::string MakePng(const std::filesystem::path& dir, const std::string& name, int width, int height,
                    int colour_type, const std::vector<int>& bytes) {
    static const char* const kRawForms[] = {"gray", "", "rgb", "", "graya", "", "rgba"};
    const std::string raw = (dir / (name + ".raw")).string(), png = (dir / name).string();
    WriteFileBytes(raw, std::string(bytes.begin(), bytes.end()));  // each int a byte
    const std::string command = "convert -size " + std::to_string(width) + "x" + std::to_string(height) +
                                " -depth 8 " + kRawForms[colour_type] + ":" + raw + " -define png:color-type=" +
                                std::to_string(colour_type) + " -define png:bit-depth=8 " + png;
    return Shell(command).status == 0 ? png : "";
}

bool ShowsTheShow(const Image& shot, int left, int top, int factor) {
    if (shot.width < left + 640 * factor || shot.height < top + 480 * factor) return false;
    auto at = [&](int x, int y) { return shot.At(left + factor * x, top + factor * y); };
    int bar = 0, text = 0, white = 0, plasma = 0;
    for (int x = 0; x < 640; ++x)
        for (int y : {0, 15, 31, 448, 463, 479}) bar += (at(x, y)[0] | at(x, y)[1] | at(x, y)[2]) == 0;
    for (int y = 32; y < 300; ++y)
        for (int x = 160; x < 600; ++x) {
            const uint8_t* p = at(x, y);
            const bool bright = p[0] > 240 && p[1] > 240 && p[2] > 240;  // the letters' brightest rows
            white += bright;
            // The font runs from silver to gold; nothing else right of the
            // logo strip has that much red (the plasma stays at 128).
            text += p[0] > 150;
            plasma += p[1] > p[0] && p[1] >= 16 && !bright;  // green-blue bands
        }
    return bar == 640 * 6 && text > 3000 && white > 100 && plasma > 50000;
}
