// Pictures for tests: image files decoded by a real decoder, screenshots of
// a window taken through the X server, PNG files of any colour type made by
// a real encoder, and the test of whether a picture shows the show.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;  // RGB, rows top-down
    const uint8_t* At(int x, int y) const { return &pixels[(size_t(y) * width + x) * 3]; }
};

// The file decoded to RGB; empty when it cannot be.
Image LoadImageFile(const std::string& path);

// The window's contents as the X server has them.
Image Screenshot(const std::string& window);

// Writes `bytes` (one int a byte, rows top-down) as an 8-bit PNG of colour
// type `colour_type` (0 grey, 2 RGB, 4 grey-alpha, 6 RGBA) to dir/name;
// returns its path, "" when the encoder failed.
std::string MakePng(const std::filesystem::path& dir, const std::string& name, int width, int height,
                    int colour_type, const std::vector<int>& bytes);

// The 640 x 480 show at (left, top) in `shot`, magnified `factor` times:
// black bars at top and bottom, the green plasma bands and the text's
// letters between them.
bool ShowsTheShow(const Image& shot, int left = 0, int top = 0, int factor = 1);
