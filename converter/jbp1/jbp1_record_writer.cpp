#include "converter/jbp1/jbp1_record_writer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/jbp1_format.h"
#include "converter/jbp1/jbp1_symbols.h"

namespace reelpack {

namespace {

int ParentNode(int link) { return link < 0 ? -link : link; }

// The code of every symbol of a tree: its length, and its bits (the bit at
// the root most significant) when it has at most 64.
struct SymbolCodes {
  static constexpr int kTableBits = 64;
  int length[kJbpAcSymbols] = {};
  std::uint64_t bits[kJbpAcSymbols] = {};

  explicit SymbolCodes(const JbpHuffmanTree& tree) {
    for (int symbol = 0; symbol < tree.leafCount; ++symbol) {
      for (int node = symbol; node != tree.Root(); node = ParentNode(tree.parent[node])) {
        if (length[symbol] < kTableBits && tree.parent[node] < 0) bits[symbol] |= std::uint64_t{1} << length[symbol];
        ++length[symbol];
      }
    }
  }

  // The symbol's code and then its value bits, in one step where they fit.
  void PutWithValue(int symbol, const JbpHuffmanTree& tree, int valueBitCount, std::uint32_t valueBits,
                    JbpBitWriter& writer) const {
    const int n = length[symbol];
    if (n + valueBitCount <= 32) {
      writer.PutBits(n + valueBitCount, static_cast<std::uint32_t>(bits[symbol] << valueBitCount) | valueBits);
    } else {
      Put(symbol, tree, writer);
      writer.PutBits(valueBitCount, valueBits);
    }
  }

  void Put(int symbol, const JbpHuffmanTree& tree, JbpBitWriter& writer) const {
    const int n = length[symbol];
    if (n > kTableBits) {
      PutHuffmanCode(symbol, tree, writer);
    } else if (n > 32) {
      writer.PutBits(n - 32, static_cast<std::uint32_t>(bits[symbol] >> 32));
      writer.PutBits(32, static_cast<std::uint32_t>(bits[symbol]));
    } else {
      writer.PutBits(n, static_cast<std::uint32_t>(bits[symbol]));
    }
  }
};

int ValueBitsOfSymbol(int symbol) { return symbol >= 0xF0 ? 0 : symbol & 15; }

std::size_t StreamBytes(std::uint64_t bits) { return static_cast<std::size_t>((bits + 31) / 32 * 4); }

// Symbols from 0xF0 up stand for runs of zeros alone.
constexpr int kJbpFirstRunSymbol = 0xF0;

// Counts of the DC categories and AC symbols of a whole picture.
struct SymbolCounts {
  std::uint32_t dcCounts[kJbpDcSymbols] = {};
  std::uint32_t acCounts[kJbpAcSymbols] = {};
};

// Whether a value is -32,768, the one 16-bit value beyond the value coding.
bool HoldsUncodedValue(const std::int16_t* values, std::size_t count) {
  std::size_t i = 0;
  bool found = false;
#if defined(__SSE2__)
  const __m128i uncoded = _mm_set1_epi16(std::numeric_limits<std::int16_t>::min());
  __m128i seen = _mm_setzero_si128();
  for (; i + 8 <= count; i += 8) {
    seen = _mm_or_si128(seen, _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(values + i)), uncoded));
  }
  found = _mm_movemask_epi8(seen) != 0;
#endif
  for (; i < count; ++i) found |= values[i] == std::numeric_limits<std::int16_t>::min();
  return found;
}

// A symbol as one word: the symbol, its value bit count and its value bits
// (at most 15) from the low byte up.
std::uint32_t PackSymbol(const JbpAcSymbol& symbol) {
  return static_cast<std::uint32_t>(symbol.symbol) | static_cast<std::uint32_t>(symbol.valueBitCount) << 8 |
         symbol.valueBits << 16;
}

// Fills the workspace's lists and counts them.
bool CollectPictureSymbols(const std::int16_t* blocks, std::size_t blockCount, JbpRecordWorkspace& lists,
                           SymbolCounts& symbols) {
  lists.dcDifferences.resize(blockCount);
  lists.acSymbolCount = 0;
  JbpAcEntry blockEntries[kJbpMaxAcEntriesPerBlock];
  if (HoldsUncodedValue(blocks, 64 * blockCount)) return false;
  int previousDc = 0;
  int largestDc = 0;
  for (std::size_t b = 0; b < blockCount; ++b) {
    const std::int16_t* block = blocks + 64 * b;
    largestDc = std::max(largestDc, std::abs(int{block[0]}));
    const int difference = block[0] - previousDc;
    if (difference < -kJbpMaxMagnitude || difference > kJbpMaxMagnitude) return false;
    previousDc = block[0];
    lists.dcDifferences[b] = difference;
    ++symbols.dcCounts[MagnitudeCategory(difference)];
    // The symbols are stored in place; the room grows as pictures need it
    // and is kept, so it is cleared only when it grows.
    if (lists.acSymbols.size() - lists.acSymbolCount < kJbpMaxAcEntriesPerBlock) {
      lists.acSymbols.resize(std::max(2 * lists.acSymbols.size(), lists.acSymbolCount + kJbpMaxAcEntriesPerBlock));
    }
    const std::size_t count = CollectAcRuns(block, blockEntries);
    std::uint32_t* stored = lists.acSymbols.data() + lists.acSymbolCount;
    std::size_t storedCount = 0;
    JbpAcCursor cursor;
    while (cursor.position < count) {
      const JbpAcSymbol symbol = NextAcSymbol(blockEntries, cursor);
      ++symbols.acCounts[symbol.symbol];
      stored[storedCount++] = PackSymbol(symbol);
    }
    lists.acSymbolCount += storedCount;
  }
  lists.acCoefficients = 0;
  lists.largestCategory = MagnitudeCategory(largestDc);
  for (int symbol = 1; symbol < kJbpFirstRunSymbol; ++symbol) {
    if (symbols.acCounts[symbol] == 0) continue;
    lists.acCoefficients += symbols.acCounts[symbol];
    lists.largestCategory = std::max(lists.largestCategory, symbol & 15);
  }
  return true;
}

}  // namespace

void PutHuffmanCode(int symbol, const JbpHuffmanTree& tree, JbpBitWriter& writer) {
  std::uint8_t path[JbpHuffmanTree::kMaxCodeLength];
  int length = 0;
  for (int node = symbol; node != tree.Root() && length < JbpHuffmanTree::kMaxCodeLength;) {
    const int link = tree.parent[node];
    path[length++] = link < 0 ? 1 : 0;
    node = ParentNode(link);
  }
  while (length > 0) writer.PutBit(path[--length]);
}

bool WriteJbpRecord(const JbpPictureSource& source, std::vector<std::uint8_t>& record) {
  JbpRecordWorkspace workspace;
  return WriteJbpRecord(source, record, workspace);
}

bool WriteJbpRecord(const JbpPictureSource& source, std::vector<std::uint8_t>& record, JbpRecordWorkspace& lists) {
  record.clear();
  if (source.blocks == nullptr || source.lumaQuantiser == nullptr || source.chromaQuantiser == nullptr ||
      source.width < 1 || source.height < 1 || source.width > kJbpMaxDimension ||
      source.height > kJbpMaxDimension) {
    return false;
  }
  const std::size_t macroblocks =
      static_cast<std::size_t>((source.width + 15) / 16) * static_cast<std::size_t>((source.height + 15) / 16);
  SymbolCounts symbols;
  if (!CollectPictureSymbols(source.blocks, macroblocks * kJbpBlocksPerMacroblock, lists, symbols)) return false;

  JbpHuffmanTree dcTree;
  JbpHuffmanTree acTree;
  BuildHuffmanTree(kJbpDcSymbols, symbols.dcCounts, dcTree);
  BuildHuffmanTree(kJbpAcSymbols, symbols.acCounts, acTree);

  const SymbolCodes dcCodes(dcTree);
  const SymbolCodes acCodes(acTree);

  // Streams are sized exactly from the counts and code lengths, so the record
  // is allocated once and the writers fill it in place.
  std::uint64_t dcBits = 0;
  for (int c = 0; c < kJbpDcSymbols; ++c) dcBits += std::uint64_t{symbols.dcCounts[c]} * (dcCodes.length[c] + c);
  std::uint64_t acBits = 0;
  for (int s = 0; s < kJbpAcSymbols; ++s) {
    if (symbols.acCounts[s] != 0) {
      acBits += std::uint64_t{symbols.acCounts[s]} * (acCodes.length[s] + ValueBitsOfSymbol(s));
    }
  }
  const std::size_t dcBytes = StreamBytes(dcBits);
  const std::size_t acBytes = StreamBytes(acBits);
  if (dcBytes > std::numeric_limits<std::uint32_t>::max() || acBytes > std::numeric_limits<std::uint32_t>::max()) {
    return false;
  }

  std::uint8_t packed[kJbpMaxPackedAcCountBytes];
  const std::size_t packedBytes = PackAcCounts(symbols.acCounts, packed);
  const std::size_t countsStart = kJbpHeaderSize + kJbpDcCountBytes;
  const std::size_t quantiserStart = countsStart + RoundUpToWord(packedBytes);
  const std::size_t dcStart = quantiserStart + 2 * kJbpQuantiserBytes;
  const std::size_t acStart = dcStart + dcBytes;
  record.assign(acStart + acBytes, 0);

  JbpPictureHeader header;
  header.quality = static_cast<std::uint32_t>(source.quality);
  header.width = static_cast<std::uint16_t>(source.width);
  header.height = static_cast<std::uint16_t>(source.height);
  header.dcStreamBytes = static_cast<std::uint32_t>(dcBytes);
  header.acStreamBytes = static_cast<std::uint32_t>(acBytes);
  WriteJbpPictureHeader(header, record.data());
  for (int c = 0; c < kJbpDcSymbols; ++c) WriteLe32(record.data() + kJbpHeaderSize + 4 * c, symbols.dcCounts[c]);
  std::memcpy(record.data() + countsStart, packed, packedBytes);
  std::memcpy(record.data() + quantiserStart, source.lumaQuantiser, kJbpQuantiserBytes);
  std::memcpy(record.data() + quantiserStart + kJbpQuantiserBytes, source.chromaQuantiser, kJbpQuantiserBytes);

  JbpBitWriter dcWriter;
  dcWriter.Init(record.data() + dcStart, dcBytes);
  for (const std::int32_t difference : lists.dcDifferences) {
    const JbpCodedValue coded = SplitCoefficient(difference);
    dcCodes.PutWithValue(coded.category, dcTree, coded.category, coded.bits, dcWriter);
  }
  JbpBitWriter acWriter;
  acWriter.Init(record.data() + acStart, acBytes);
  for (std::size_t i = 0; i < lists.acSymbolCount; ++i) {
    const std::uint32_t packed = lists.acSymbols[i];
    acCodes.PutWithValue(static_cast<int>(packed & 0xFF), acTree, static_cast<int>(packed >> 8 & 0xFF), packed >> 16,
                         acWriter);
  }
  acWriter.Flush();
  dcWriter.Flush();
  if (dcWriter.Overflowed() || acWriter.Overflowed() || dcWriter.BytesStored() != dcBytes ||
      acWriter.BytesStored() != acBytes) {
    record.clear();
    return false;
  }
  return true;
}

}  // namespace reelpack
