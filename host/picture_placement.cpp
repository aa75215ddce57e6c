// The placement of a magnified picture: whole factors from 2 on, centred.
#include "host/picture_placement.h"

#include <algorithm>
#include <cmath>

namespace {

// From this factor on the picture is magnified by whole factors only.
constexpr double kSharpFactor = 2.0;

}  // namespace

PicturePlacement PlacePicture(int picture_width, int picture_height, int target_width, int target_height) {
    double factor = std::min(double(target_width) / picture_width, double(target_height) / picture_height);
    if (factor >= kSharpFactor) factor = std::floor(factor);
    int width = static_cast<int>(std::lround(picture_width * factor));
    int height = static_cast<int>(std::lround(picture_height * factor));
    return {float(factor), (target_width - width) / 2, (target_height - height) / 2, width, height};
}
