// What a read keeps between markers and between calls: the input, the
// decoding tables, the markers met, the frame-wanted flag and the image
// being decoded.
#pragma once

#include <cstdint>

#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/jpeg_image_read.h"
#include "jpeglib/jpeg_row_resume.h"

struct JpegReadState {
  JpegInputStream input;
  bool frameWanted = true;  // no frame header taken since the last reset
  bool frameTaken = false;  // a frame header was taken in this call
  bool progressive = false;

  JpegHuffmanDecodeTable dcTables[4];
  JpegHuffmanDecodeTable acTables[4];
  bool dcDefined[4] = {};
  bool acDefined[4] = {};
  std::uint16_t quantValues[4][64] = {};  // zigzag order
  std::int32_t dequant[4][80] = {};
  std::int16_t dequantFactors[4][64] = {};  // method 1: dequant cut to 16 bits
  bool quantDefined[4] = {};
  int quantCount = 0;

  bool jfifSeen = false;
  bool adobeSeen = false;
  int adobeTransform = 0;
  int thumbWidth = 0;
  int thumbHeight = 0;

  // The caller's comment buffer; the size becomes the comment's length.
  std::uint8_t* commentBuffer = nullptr;
  std::uint16_t commentSize = 0;

  JpegImageRead image;
  JpegRowResumeTable rowResume;  // kept across reads of the record
};
