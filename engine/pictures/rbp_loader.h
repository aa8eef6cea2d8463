// Reading ".rbp" picture files from a picture archive or a loose folder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/pictures/picture_object.h"

class CArchiveReader;

// Uncompressed entries that fit are read here instead of into a new block.
// One buffer for the whole engine: loads run on the main thread only.
inline constexpr std::uint32_t kPictureReadBufferSize = 262144;
extern std::uint8_t gPictureReadBuffer[kPictureReadBufferSize];

// The name the engine looks for: the extension after the last '.' replaced
// by ".rbp" (one that already reads ".rbp" in any case is kept), or ".rbp"
// appended. 1 when the result fits the 63 characters of a picture name, else
// 0 with out left empty.
int NormalisePictureName(const char* name, char (&out)[kPictureNameSize]);

// The file image of name: read whole from folder + name when folder ends in
// '\', else the entry name of the archive at folder. *outShared is 1 when the
// image lies in gPictureReadBuffer (never freed), else it is a local-heap
// block for the caller to free. Null when it cannot be read.
std::uint8_t* ReadPictureFile(const char* folder, const char* name, CArchiveReader* archive, int* outShared,
                              std::uint32_t* outSize);
