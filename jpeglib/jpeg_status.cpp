// Status texts and the version record.
#include "jpeglib/jpeg_api.h"

namespace {

// Indexed by 2 - status for the codes 2 .. -30; plain literals, so no text is
// cut to a fixed slot width.
constexpr const char* kStatusTexts[] = {
    "ROI Success",
    "Interrupt Success",
    "Success",
    "Exception detected",
    "Invalid Encoder",
    "Unsupported subsampling",
    "Unsupported bytes per pixel",
    "Memory error",
    "Bad Huffman table",
    "Bad Quantization table",
    "Invalid JPEG_PROPERTIES",
    "Error close file",
    "Invalid file name",
    "Error EOF",
    "Not supported",
    "Not JPEG",
    "Error COMP",
    "Error SOF",
    "Error DNL",
    "No Huffman table",
    "No Quantization table",
    "No frame",
    "Multiply frame",
    "Data error",
    "No image",
    "File error",
    "Internal error",
    "Bad RST marker",
    "Thumbnail too small",
    "Thumbnail has wrong color",
    "Output buffer too small",
    "Unsupported frame was found",
    "Error access to jpeg_comment buffer",
};
constexpr int kStatusTextCount = sizeof(kStatusTexts) / sizeof(kStatusTexts[0]);

constexpr JPEG_VERSION kVersion = {
    2, 10, 17, "rpjpeg.lib", "2.10.17", "[2.10.17.44]", "Mar 14 2003", "Microsoft*",
};

}  // namespace

const char* jpegStatusText(JPEG_STATUS status) {
  if (status == JPEG_RESERVED) return "Reserved";
  const int index = 2 - status;
  if (index < 0 || index >= kStatusTextCount) return "Unknown error code";
  return kStatusTexts[index];
}

const JPEG_VERSION* jpegGetVersion() { return &kVersion; }
