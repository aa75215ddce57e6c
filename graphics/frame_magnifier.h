// Shows the game's picture magnified in a window larger than it (a window
// of N times its size, or the whole screen). The frame is drawn as always,
// at the picture's size, into the lower-left corner of the back buffer; at
// the end of the frame it is copied into a texture and drawn again as one
// quad over the framebuffer, centred, black around it. At whole factors the
// texture is sampled at the nearest texel, so each pixel of the picture
// becomes a square of factor x factor identical pixels: the frame looks
// exactly like the unmagnified one, only larger.
#pragma once

// Where the magnified picture goes in a target, in pixels from its lower
// left corner.
struct PicturePlacement {
    float factor;
    int x, y, width, height;
};

// The largest factor at which the picture fits the target, rounded down to
// a whole number when it is 2 or more (so that pixels stay sharp), and the
// picture centred at that factor.
PicturePlacement PlacePicture(int picture_width, int picture_height, int target_width, int target_height);

// Magnifies the frame just drawn (picture size, lower-left corner of the
// back buffer) into the whole framebuffer. The GL state it changes is set
// again by the device's next BeginRender.
void MagnifyFrame(int picture_width, int picture_height, int framebuffer_width, int framebuffer_height);
