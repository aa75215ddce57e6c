// A look at an image file before stb_image decodes it. The stb_image of
// Debian 12 writes past its Huffman table arrays when a JPEG table declares
// more than 256 codes (it trusts the 16 code counts), so such files are
// turned away here, as that decoder would in later versions.
//
// Images are also limited in size before any pixel is decoded: a few bytes
// of header can otherwise ask for gigabytes. No texture is larger than
// 16384 pixels a side, and no program of ours needs more than 32 megapixels.
#pragma once

#include <cstdio>

constexpr int kMaxImageSide = 16384;
constexpr long long kMaxImagePixels = 1LL << 25;

#include <vector>

// False for a JPEG with a Huffman table of more than 256 codes and for an
// image beyond the size limits; true otherwise (also for files the decoder
// will reject by itself).
bool ImageBytesAreSafeToDecode(const std::vector<unsigned char>& bytes);

// The same for a file, read from its current position, which is put back.
bool ImageFileIsSafeToDecode(std::FILE* file);

// The rest of an open file, or false when it cannot be read or is too large
// for the decoder's int sizes. The host decodes images from these bytes, so
// the decoder sees exactly the bytes that were checked: reading from the
// file itself, the decoder's own rewinding after its format probes can
// replay a stale buffer and see a different stream.
bool ReadImageFile(std::FILE* file, std::vector<unsigned char>& bytes);
