/* stb_image and stb_vorbis compiled into the fuzz targets with the same
   instrumentation as our code, so the fuzzer sees their branches and the
   sanitizers their memory. Linked ahead of the system's libstb, whose
   copies are then never pulled in. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_vorbis.h>
