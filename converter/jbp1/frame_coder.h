// Turns one 24-bit BMP image into a "JBP1" record: the quantised
// coefficients of its baseline 4:2:0 JPEG at the given quality are coded as a
// record with the record's own Huffman codes. The JPEG quality thus sets the
// record's quantisation.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "converter/jbp1/bmp_image.h"
#include "converter/jbp1/jbp1_record_writer.h"
#include "converter/jbp1/jpeg_coef_decoder.h"
#include "jpeglib/jpeg_api.h"

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
// A picture is taken once and then coded at as many qualities as needed: the
// JPEG library converts and transforms it once and quantises it per quality,
// giving the coefficients its JPEG would carry without writing and reading
// that JPEG back.
class CFrameCoder {
 public:
  CFrameCoder();

  // Takes a 24-bit image for the codings that follow; it must stay as it is
  // until the next picture is taken. kFailed for an unsound image.
  FrameCodeStatus TakePicture(std::span<const std::uint8_t> image);

  // Replaces record with the taken picture's record at quality; record is
  // left empty unless the result is kCoded.
  FrameCodeStatus CodeTakenPicture(int quality, std::vector<std::uint8_t>& record);

  // Takes the image and codes it at quality.
  FrameCodeStatus BuildPictureRecord(std::span<const std::uint8_t> image, int quality,
                                     std::vector<std::uint8_t>& record);

  // The same record through the JPEG the library writes, read back; the
  // coder takes this way where the JPEG's fitting its buffer is in doubt.
  FrameCodeStatus BuildPictureRecordFromJpeg(std::span<const std::uint8_t> image, int quality,
                                             std::vector<std::uint8_t>& record);

 private:
  struct JpegRelease {
    void operator()(JPEG_PROPERTIES* props) const;
  };

  FrameCodeStatus WriteRecord(const BmpInfo& info, int quality, const std::int16_t* blocks,
                              const std::uint8_t luma[64], const std::uint8_t chroma[64],
                              std::vector<std::uint8_t>& record);

  std::unique_ptr<JPEG_PROPERTIES, JpegRelease> jpegLibrary_;
  std::span<const std::uint8_t> picture_;
  bool pictureTaken_ = false;
  bool pictureTransformed_ = false;  // else every quality goes through the JPEG
  std::size_t jpegRoomBytes_ = 0;    // what the written JPEG must stay under
  std::size_t jpegHeaderBytes_ = 0;
  std::vector<std::uint8_t> jpegHeader_;
  std::size_t transformedBlocks_ = 0;
  std::vector<std::int16_t> transformed_;
  std::vector<std::int16_t> quantised_;

  std::vector<std::uint8_t> jpeg_;  // room for the JPEG, kept between codings
  CJpegCoefDecoder decoder_;
  JbpRecordWorkspace recordLists_;
};

}  // namespace reelpack
