// The few host services the graphics layer uses: the window (for its size),
// the context generation (for texture lifetimes), image decoding and text
// files. Each forwards to the one host object; all answer "nothing" (null,
// 0, empty) while there is no host.
#pragma once

#include "runtime/string.h"

struct GLFWwindow;

GLFWwindow* HostWindow();
unsigned HostContextGeneration();
// The window's client and framebuffer sizes as the host keeps them; false
// (and zeros) while there is no window. When the host magnifies the picture
// into a larger window, both are the picture's size: that is what the game
// draws in.
bool HostWindowSizes(int* width, int* height, int* fb_width, int* fb_height);
// The picture's size and the window's real framebuffer size, when the host
// magnifies the picture into the window; false when the game draws straight
// into it.
bool HostMagnifiedPicture(int* width, int* height, int* fb_width, int* fb_height);
// Decoded pixels (plain heap memory, released with free) or null.
unsigned char* HostLoadImageData(const String& path, int* width, int* height, int* depth);
// The text of a file; empty when it cannot be read.
String HostLoadText(const String& path);
