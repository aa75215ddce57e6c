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
// (and zeros) while there is no window.
bool HostWindowSizes(int* width, int* height, int* fbWidth, int* fbHeight);
// Decoded pixels (plain heap memory, released with free) or null.
unsigned char* HostLoadImageData(const String& path, int* width, int* height, int* depth);
// The text of a file; empty when it cannot be read.
String HostLoadText(const String& path);
