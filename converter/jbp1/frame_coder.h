// Turns one 24-bit BMP image into a "JBP1" record: the JPEG library encodes
// it as baseline 4:2:0 JPEG in memory at the given quality, the
// coefficient-level reader reads that JPEG back, and its quantised
// coefficients are coded as a record with the record's own Huffman codes. The
// JPEG quality thus sets the record's quantisation.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "converter/jbp1/bmp_image.h"
#include "converter/jbp1/jbp1_record_writer.h"
#include "converter/jbp1/jpeg_coef_decoder.h"

namespace reelpack {

// Replaces jpeg with the JPEG of a 24-bit image with a positive height at
// quality 1 to 100, written into a buffer of 3 bytes a pixel plus the JPEG's
// headers. False (jpeg empty) when the image is not such an image or the
// library refuses (also when the JPEG would not fit that buffer).
bool EncodeDibToJpeg(std::span<const std::uint8_t> image, int quality, std::vector<std::uint8_t>& jpeg);

// The same JPEG written at the start of room, which is kept (grown when too
// small) so that a coder that codes frame after frame reuses it: the JPEG's
// size, 0 where EncodeDibToJpeg gives false.
std::size_t EncodeDibToJpegRoom(std::span<const std::uint8_t> image, int quality, std::vector<std::uint8_t>& room);

enum class FrameCodeStatus {
  kCoded,
  kNoJpeg,  // the JPEG library refused the image at this quality
  kFailed,  // the image is unsound, or its JPEG could not be read or coded
};

// Codes frames one after another, keeping its working memory between them.
class CFrameCoder {
 public:
  CFrameCoder() { decoder_.KeepQuantised(true); }

  // Replaces record with the image's record at quality; record is left empty
  // unless the result is kCoded.
  FrameCodeStatus BuildPictureRecord(std::span<const std::uint8_t> image, int quality,
                                     std::vector<std::uint8_t>& record);

 private:
  std::vector<std::uint8_t> jpeg_;  // room for the JPEG, kept between codings
  CJpegCoefDecoder decoder_;
  std::vector<std::int16_t> quantised_;
  JbpRecordWorkspace recordLists_;
};

}  // namespace reelpack
