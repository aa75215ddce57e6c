// Where a magnified picture sits in a larger target (a window N times its
// size, or the whole screen), shared by the frame magnifier, which draws it
// there, and the input callbacks, which turn pointer positions in the window
// into positions in the picture.
#pragma once

// In pixels from the target's lower-left corner.
struct PicturePlacement {
    float factor;
    int x, y, width, height;
};

// The largest factor at which the picture fits the target, rounded down to
// a whole number when it is 2 or more (so that pixels stay sharp), and the
// picture centred at that factor.
PicturePlacement PlacePicture(int picture_width, int picture_height, int target_width, int target_height);
