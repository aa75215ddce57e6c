/* The stb implementations for the Windows and web builds. On Linux they come
 * from Debian's libstb; elsewhere they are compiled here from the same headers.
 * The program always hands stb an already opened FILE*, so no file-name
 * handling of stb's own is used. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

/* Debian ships stb_vorbis as a header: included without
 * STB_VORBIS_HEADER_ONLY it is the implementation. */
#include <stb_vorbis.h>
