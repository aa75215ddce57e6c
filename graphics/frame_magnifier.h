// Shows the game's picture magnified in a window larger than it (a window
// of N times its size, or the whole screen). The frame is drawn as always,
// at the picture's size, into the lower-left corner of the back buffer; at
// the end of the frame it is copied into a texture and drawn again as one
// quad over the framebuffer, centred, black around it. At whole factors the
// texture is sampled at the nearest texel, so each pixel of the picture
// becomes a square of factor x factor identical pixels: the frame looks
// exactly like the unmagnified one, only larger.
#pragma once

#include "host/picture_placement.h"

// Magnifies the frame just drawn (picture size, lower-left corner of the
// back buffer) into the whole framebuffer. The GL state it changes is set
// again by the device's next BeginRender.
void MagnifyFrame(int picture_width, int picture_height, int framebuffer_width, int framebuffer_height);
