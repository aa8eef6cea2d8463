// Shared fixtures of the JPEG library tests: synthetic pictures and ffmpeg
// test frames, encoding through the public record, marker-segment walking,
// and libjpeg-turbo's djpeg/cjpeg run as black-box reference decoder and
// encoder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_working_state.h"

struct TestPicture {
  int width = 0;
  int height = 0;
  int channels = 3;
  int padding = 0;
  std::vector<std::uint8_t> pixels;  // top-down rows of width * channels + padding bytes

  int stride() const { return width * channels + padding; }
  std::uint8_t* at(int x, int y) { return pixels.data() + y * stride() + x * channels; }
  const std::uint8_t* at(int x, int y) const { return pixels.data() + y * stride() + x * channels; }
};

// Smooth gradients with a little seeded noise, so lossy coding has a
// meaningful error and every channel differs.
TestPicture MakePicture(int width, int height, int channels, unsigned seed, int padding = 0);
// The same rows stored bottom-up.
TestPicture FlipRows(const TestPicture& picture);

// A record after jpegInit with the picture and the JPEG size filled in.
struct EncodeRequest {
  const TestPicture* picture = nullptr;
  int imageColor = JPEG_COLOR_BGR;
  int imageSampling = 0;  // JPEG_IMAGE_PACKED_422: two bytes a pixel, declared as 3 channels
  int jpegColor = JPEG_COLOR_YCBCR;
  int jpegChannels = 3;
  int jpegSampling = JPEG_SAMPLING_420;
  int quality = 75;
  bool bottomUp = false;  // the picture's rows are stored bottom-up
  int restartInterval = 0;
  bool progressive = false;
  int processorClass = -1;  // -1: the class jpegInit chose
  std::size_t bufferSize = 0;  // 0: generous
};

struct EncodeResult {
  JPEG_STATUS status = 0;
  std::vector<std::uint8_t> bytes;
};

EncodeResult Encode(const EncodeRequest& request);

// A record ready for a mode-9 BGR 4:2:0 write of `picture` into `buffer`;
// `canary` bytes after the buffer's size show writes past its end.
struct Writer {
  JPEG_PROPERTIES props{};
  std::vector<std::uint8_t> buffer;

  Writer(const TestPicture& picture, std::size_t bufferSize, std::size_t canary = 0) {
    EXPECT_EQ(jpegInit(&props), JPEG_SUCCESS);
    buffer.assign(bufferSize + canary, 0xCD);
    props.imagePixels = const_cast<std::uint8_t*>(picture.pixels.data());
    props.imageWidth = picture.width;
    props.imageHeight = picture.height;
    props.imageRowPadding = picture.padding;
    props.imageChannels = picture.channels;
    props.jpegBuffer = buffer.data();
    props.jpegBufferSize = static_cast<std::uint32_t>(bufferSize);
    props.jpegWidth = picture.width;
    props.jpegHeight = picture.height;
  }
  ~Writer() { jpegFree(&props); }
  void UseClass(int processorClass) { jpegFillProcessorTable(props.work->table, processorClass); }
  std::vector<std::uint8_t> Output() const { return std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + props.jpegBufferSize); }
};

// Marker segments of a stream up to SOS: (marker, offset of its FF).
struct Segment {
  int marker;
  std::size_t offset;
  std::size_t length;  // whole segment including FF and marker
};
std::vector<Segment> HeaderSegments(const std::vector<std::uint8_t>& stream);
// Every marker segment of a whole stream, skipping entropy-coded data (which
// is not listed; RSTn markers inside it are).
std::vector<Segment> StreamSegments(const std::vector<std::uint8_t>& stream);

// DQT tables of a stream, in natural order, by table id.
std::vector<std::vector<int>> QuantTablesOf(const std::vector<std::uint8_t>& stream);

// The SOF0 components' quantisation selectors as "a,b,c".
std::string QuantSelectorsOf(const std::vector<std::uint8_t>& stream);

struct Decoded {
  bool ok = false;
  std::string messages;  // anything the decoder printed (warnings)
  int width = 0;
  int height = 0;
  int components = 0;  // 1 grey, 3 colour
  std::vector<std::uint8_t> samples;
};

// Decodes with djpeg into PNM; RGB order for colour.
Decoded DecodeWithReference(const std::vector<std::uint8_t>& stream);
// Encodes RGB (or grey for channels 1) samples with cjpeg, giving it the
// quantisation tables and the sampling factors.
std::vector<std::uint8_t> EncodeWithReference(const std::vector<std::uint8_t>& samples, int width, int height,
                                              int components, const std::vector<std::vector<int>>& tables,
                                              const std::string& sampling, const std::string& extra = "");

// Natural-looking BGR frames from ffmpeg's test sources (testsrc2,
// mandelbrot, smptebars), made by one ffmpeg run; empty when ffmpeg fails.
std::vector<TestPicture> NaturalFrames(int width, int height);

// The normalised two-dimensional DCT-II of a block, in double precision.
void ReferenceDct(const std::int16_t in[64], double out[64]);

// PSNR over equal-sized sample arrays.
double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);
// The picture's samples in RGB order (grey for one channel), no padding.
std::vector<std::uint8_t> RgbSamples(const TestPicture& picture, int imageColor);
