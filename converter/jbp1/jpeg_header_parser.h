// The marker segments of a JPEG up to its first scan header, as far as the
// coefficient-level reader needs them: frame, scan, quantisation and
// Huffman tables, restart interval. Application and comment segments are
// passed over by their length.
#pragma once

#include <cstdint>
#include <vector>

#include "converter/jbp1/jpeg_coef_bit_reader.h"
#include "converter/jbp1/jpeg_coef_huffman.h"

namespace reelpack {

struct JpegFrameComponent {
  int id = 0;
  int horizontal = 0;
  int vertical = 0;
  int quantTable = 0;
};

struct JpegScanComponent {
  int id = 0;
  int dcTable = 0;
  int acTable = 0;
};

class CJpegHeaderParser {
 public:
  static constexpr int kTableCount = 4;
  static constexpr int kMaxScanComponents = 4;

  // Segments seen.
  static constexpr std::uint32_t kSeenHuffman = 1u << 0;
  static constexpr std::uint32_t kSeenQuant = 1u << 1;
  static constexpr std::uint32_t kSeenFrame = 1u << 2;
  static constexpr std::uint32_t kSeenScan = 1u << 3;
  static constexpr std::uint32_t kSeenEnd = 1u << 4;  // EOI or a second SOI

  // Forgets the frame, scan and restart interval of the previous stream;
  // tables stay until a stream defines them again.
  void Reset();

  // Finds SOI, then reads segments until the first scan header or the end of
  // the image. False when the source ends first or a segment names a table
  // number beyond 0 to 3, more than four scan components or a Huffman table
  // that cannot be built.
  bool ReadHeaders(CJpegBitReader& reader);

  std::uint32_t seen = 0;
  int frameMarker = 0;
  int precision = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<JpegFrameComponent> frame;
  std::vector<JpegScanComponent> scan;
  std::uint32_t restartInterval = 0;
  // In the order of the DQT segment (zigzag order).
  std::uint32_t quantTables[kTableCount][64] = {};
  // DC tables 0 to 3, then AC tables 0 to 3.
  CJpegHuffmanTable huffmanTables[2 * kTableCount];

 private:
  bool ReadSegment(CJpegBitReader& reader);
  bool ReadFrame(CJpegBitReader& reader, int marker);
  bool ReadHuffmanTables(CJpegBitReader& reader, int length);
  bool ReadQuantTables(CJpegBitReader& reader, int length);
  bool ReadScan(CJpegBitReader& reader);
};

}  // namespace reelpack
