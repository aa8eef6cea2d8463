// Codes the quantised coefficients of one 4:2:0 picture as a "JBP1" record:
// DC differences and AC symbols are counted over the whole picture, the two
// Huffman trees are built from those counts, and the counts, quantisation
// tables and both streams are laid out behind the header.
#pragma once

#include <cstdint>
#include <vector>

#include "common/jbp1_huffman_tree.h"
#include "converter/jbp1/jbp1_bit_writer.h"
#include "converter/jbp1/jbp1_symbols.h"

namespace reelpack {

struct JbpPictureSource {
  int width = 0;
  int height = 0;
  int quality = 0;
  // Quantised coefficients, 64 per block in natural order, six blocks per
  // macroblock (Y0, Y1, Y2, Y3, Cb, Cr), macroblocks in raster order over
  // ceil(width / 16) x ceil(height / 16).
  const std::int16_t* blocks = nullptr;
  // Natural order, luma for the Y blocks and chroma for Cb and Cr.
  const std::uint8_t* lumaQuantiser = nullptr;
  const std::uint8_t* chromaQuantiser = nullptr;
};

// Writes the code of a symbol of the tree, the bit at the root first.
void PutHuffmanCode(int symbol, const JbpHuffmanTree& tree, JbpBitWriter& writer);

// The picture-sized lists a record is built from; a caller that codes many
// pictures keeps one so their memory is reused.
struct JbpRecordWorkspace {
  std::vector<std::int32_t> dcDifferences;
  std::vector<std::uint32_t> acSymbols;  // packed; the first acSymbolCount in use
  std::size_t acSymbolCount = 0;
  // Of the last picture coded: its non-zero AC coefficients, and the largest
  // category of an AC value or a DC value (not a DC difference).
  std::size_t acCoefficients = 0;
  int largestCategory = 0;
};

// Replaces record with the coded picture. False (record left empty) when the
// size is 0 or over kJbpMaxDimension, an input is missing, or a coefficient
// or DC difference is beyond the value coding (|v| > 32,767).
bool WriteJbpRecord(const JbpPictureSource& source, std::vector<std::uint8_t>& record);
bool WriteJbpRecord(const JbpPictureSource& source, std::vector<std::uint8_t>& record, JbpRecordWorkspace& workspace);

}  // namespace reelpack
