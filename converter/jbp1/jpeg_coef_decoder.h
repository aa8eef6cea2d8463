// Reads a baseline JPEG back to its coefficients without reconstructing
// samples: every 8 x 8 block of the first scan, dequantised (quantised value
// times its table entry), in natural order (row x 8 + column), in decode
// order (MCU by MCU, the components of each in scan order). For a 4:2:0
// picture that is Y0, Y1, Y2, Y3, Cb, Cr per 16 x 16 MCU.
//
// Blocks are stored only for 8-bit sequential (SOF0, SOF1) frames whose scan
// has three components; other frames (progressive, grey, 12-bit) are read to
// their first scan header, giving their size and tables but no block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "converter/jbp1/jpeg_byte_source.h"
#include "converter/jbp1/jpeg_coef_bit_reader.h"
#include "converter/jbp1/jpeg_header_parser.h"

namespace reelpack {

// A scan component with the layout its frame component gives it.
struct JpegScanLayout {
  int horizontal = 0;
  int vertical = 0;
  int quantTable = 0;
};

class CJpegCoefDecoder {
 public:
  // 5,000 macroblocks of six blocks: more than any frame the converter codes.
  static constexpr std::size_t kMaxBlocks = 30000;

  // Decodes one JPEG. False when the stream leaves the reader's limits: no
  // SOI or scan header before the source ends, a table number beyond 0 to 3
  // or a Huffman table over 256 codes, more than four scan components, a
  // scan component the frame does not name or whose sampling factors are not
  // 1 to 4, a component sampled at other than the full or half rate of the
  // largest factors, a missing Huffman table, more than kMaxBlocks blocks, or
  // entropy-coded data that ends or holds an unknown code before the scan
  // does. The size and tables are taken either way.
  bool Decode(CByteSource& source);

  // From now on the blocks hold the quantised values themselves (the tables
  // still bound the dequantised DC as before), for a reader that wants them
  // undivided.
  void KeepQuantised(bool keep) { keepQuantised_ = keep; }

  std::size_t BlockCount() const { return blockCount_; }
  // 64 coefficients, natural order (dequantised unless KeepQuantised).
  const std::int32_t* Block(std::size_t index) const { return blocks_.data() + 64 * index; }
  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }
  // Quantisation tables 0 and 1 in the order of the DQT segment (zigzag).
  const std::uint32_t* QuantTable(int number) const { return quantTables_[number]; }
  // The layout of the decoded scan's components, in scan order.
  const std::vector<JpegScanLayout>& ScanLayout() const { return layout_; }

 private:
  bool PrepareScan();
  bool DecodeScan();
  bool DecodeBlock(int component, std::int32_t* out);

  CJpegHeaderParser parser_;
  CJpegBitReader reader_;
  std::vector<std::int32_t> blocks_;
  std::size_t blockCount_ = 0;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::uint32_t quantTables_[2][64] = {};
  std::vector<JpegScanLayout> layout_;
  int maxHorizontal_ = 0;
  int maxVertical_ = 0;
  std::int32_t predictors_[CJpegHeaderParser::kMaxScanComponents] = {};
  bool corrupt_ = false;
  bool keepQuantised_ = false;
};

}  // namespace reelpack
