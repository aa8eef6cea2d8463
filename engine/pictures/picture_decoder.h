// CPictureDecoder turns one "JBP1" picture record into an RGB565 raster of
// 16-aligned size: pixel (x, y) at output + y x aligned width + x.
//
// Two paths read the same record. The still path (compressed ".rbp" pictures
// and rule images) dequantises inside an exact-constant inverse DCT; the movie
// path, run for every frame, folds dequantisation into coefficient decoding,
// uses a shift-and-add inverse DCT and is limited to 1,200 macroblocks.
//
// Calling order: InitForImage or InitForMovie, SetInput, ParseHeader, Reset,
// SetOutput (or none: the decoder then allocates the raster with LocalAlloc
// and the caller frees it), then DecodeImage or DecodeMovieFrame. A decoder
// is reused for every frame of a movie; a record without quantisation tables
// then keeps the previous frame's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/jbp1_huffman_tree.h"
#include "engine/pictures/picture_decoder_colour.h"

inline constexpr std::size_t kMovieFrameMaxMacroblocks = 1200;

// Every symbol but the AC end of block and long zero runs is followed by a
// value: a DC symbol is the value's size, an AC symbol holds a run of zeros in
// its high nibble and the size in its low one.
enum class PictureSymbols { DcSizes, AcRunsAndSizes };

// A Huffman tree with a table that resolves the first Bits bits of a code at
// once; longer codes go on bit by bit from the node reached. An entry whose
// code and value bits both fit in those bits holds the decoded run and value,
// so most symbols take one look-up.
template <int Bits>
struct PictureSymbolDecoder {
  static constexpr int kLookaheadBits = Bits;

  // Resolved (totalLength > 0): value, run and the bits of code and value.
  // Otherwise: the node reached and the code bits taken to reach it.
  struct Entry {
    std::int16_t valueOrNode = 0;
    std::uint8_t runOrCodeLength = 0;
    std::uint8_t totalLength = 0;
  };

  JbpHuffmanTree tree;
  Entry lookahead[1 << Bits] = {};

  void Build(int symbols, const std::uint32_t* counts, PictureSymbols kind);
};

// DC sizes have few and short codes; AC symbols gain from a table that
// resolves most of them with their values.
inline constexpr int kDcLookaheadBits = 8;
inline constexpr int kAcLookaheadBits = 11;
using PictureDcDecoder = PictureSymbolDecoder<kDcLookaheadBits>;
using PictureAcDecoder = PictureSymbolDecoder<kAcLookaheadBits>;

class CPictureDecoder {
 public:
  void InitForImage();
  void InitForMovie();

  void SetInput(const std::uint8_t* record, std::size_t length);
  // pixels null: the decode allocates the raster. capacity is in bytes.
  void SetOutput(std::uint16_t* pixels, std::size_t capacity);

  // 1 when the record's header is sound: magic "JBP1", header inside the
  // input, width and height 1 to 4,096. 0 otherwise (also without input).
  int ParseHeader();
  void Reset() { ready_ = true; }

  // 1 when the raster is written; 0 for a record that is malformed, cut short
  // or larger than the output's capacity, or when memory runs out. A failed
  // decode may leave part of the output written.
  int DecodeImage();
  int DecodeMovieFrame();

  // The quantised coefficients of every block as the streams hold them (64
  // per block in natural order, six blocks per macroblock), before
  // dequantisation and the inverse DCT. 1 on success, 0 as for DecodeImage.
  int DecodeCoefficients(std::vector<std::int16_t>& blocks);

  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }
  std::uint32_t BitsPerPixel() const { return bitsPerPixel_; }
  std::uint32_t Quality() const { return quality_; }
  bool IsAligned() const { return aligned_; }
  bool IsReady() const { return ready_; }
  std::uint32_t AlignedWidth() const { return alignedWidth_; }
  std::uint32_t AlignedHeight() const { return alignedHeight_; }
  std::uint16_t* Output() const { return output_; }
  // Set after decoding: aligned width x aligned height x 2.
  std::size_t OutputSize() const { return outputSize_; }
  // Bytes per output row: aligned width x 2 after decoding (aligned width x
  // bits per pixel / 8 after parsing).
  std::size_t OutputStride() const { return outputStride_; }

 private:
  enum class Path { Still, Movie };

  void ResetRecord();
  bool PrepareStreams(Path path);
  bool DecodeDcPass(std::int16_t* dcs, std::size_t blockCount);
  bool DecodeRaster(Path path, const std::int16_t* dcs);
  bool WriteMacroblocks(Path path, const std::int16_t* dcs);
  std::size_t MacroblockCount() const { return std::size_t{alignedWidth_ / 16} * (alignedHeight_ / 16); }

  // From the record.
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::uint32_t bitsPerPixel_ = 24;
  std::uint32_t quality_ = 80;
  // Still path: natural order; movie path: zigzag order.
  std::uint16_t lumaQuantiser_[64] = {};
  std::uint16_t chromaQuantiser_[64] = {};
  bool quantisersLoaded_ = false;
  bool aligned_ = true;
  bool headerParsed_ = false;

  const std::uint8_t* input_ = nullptr;
  std::size_t inputLength_ = 0;
  std::uint16_t* output_ = nullptr;
  std::size_t outputCapacity_ = 0;
  std::size_t outputSize_ = 0;
  std::size_t outputStride_ = 0;
  std::uint32_t alignedWidth_ = 0;
  std::uint32_t alignedHeight_ = 0;
  bool ready_ = false;

  // Where the record's parts lie, set by PrepareStreams.
  std::uint32_t headerSize_ = 0;
  std::uint32_t flags_ = 0;
  std::uint32_t dcStreamBytes_ = 0;
  std::uint32_t acStreamBytes_ = 0;
  std::size_t dcStreamStart_ = 0;
  std::size_t acStreamStart_ = 0;

  PictureDcDecoder dcDecoder_;
  PictureAcDecoder acDecoder_;
  PictureClampTables clampTables_;
  std::int16_t movieDcs_[kMovieFrameMaxMacroblocks * 6] = {};
};
