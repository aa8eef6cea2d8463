// The SIMD classes' Huffman block decoders against the plain ones and the
// coded coefficients: block after block over coded blocks, random tables (long and incomplete
// codes) and damaged data (stuffed bytes, fill bytes, markers, a 0xFF at
// the end), the same coefficients, predictor, status, bits taken and
// marker, and nothing written past the block.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "jpeglib/jpeg_block_kernels.h"
#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/jpeg_processor.h"
#include "jpeglib/jpeg_tables.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct DecodeTables {
  JpegHuffmanDecodeTable dc, ac;
};

struct DecoderPair {
  const char* name;
  JpegBlockDecoder plain;
  JpegBlockDecoder fast;
};

// Data bits the stream has used: those of the bytes read (a stuffed 0xFF
// and fill bytes give one byte, a marker none) less those still held.
std::size_t bitsTaken(const JpegInputStream& in, const Bytes& data) {
  const auto read = static_cast<std::size_t>(in.position - data.data());
  std::size_t bits = 0;
  for (std::size_t i = 0; i < read;) {
    if (data[i] != 0xFF) {
      bits += 8;
      ++i;
      continue;
    }
    std::size_t next = i + 1;
    while (next < data.size() && data[next] == 0xFF) ++next;
    if (next < data.size() && data[next] == 0x00) bits += 8;
    i = next + 1;
  }
  return bits - static_cast<std::size_t>(in.bitCount);
}

// Decodes up to `blocks` blocks with both decoders and compares every step.
void ExpectSameBlocks(const DecoderPair& pair, const DecodeTables& tables, const Bytes& data, int blocks,
                      const std::string& what) {
  JpegInputStream plainIn, fastIn;
  inputBeginBuffer(plainIn, data.data(), data.size());
  inputBeginBuffer(fastIn, data.data(), data.size());
  std::int16_t plainPredictor = 0, fastPredictor = 0;
  for (int b = 0; b < blocks; ++b) {
    std::array<std::int16_t, 80> plainBlock, fastBlock;
    plainBlock.fill(0x5A5A);
    fastBlock.fill(0x5A5A);
    const JPEG_STATUS plainStatus = pair.plain(plainIn, tables.dc, tables.ac, plainPredictor, plainBlock.data());
    const JPEG_STATUS fastStatus = pair.fast(fastIn, tables.dc, tables.ac, fastPredictor, fastBlock.data());
    ASSERT_EQ(fastStatus, plainStatus) << what << " block " << b << " " << pair.name;
    ASSERT_EQ(fastBlock, plainBlock) << what << " block " << b << " " << pair.name;
    ASSERT_EQ(fastPredictor, plainPredictor) << what << " block " << b << " " << pair.name;
    ASSERT_EQ(bitsTaken(fastIn, data), bitsTaken(plainIn, data)) << what << " block " << b << " " << pair.name;
    ASSERT_EQ(fastIn.marker, plainIn.marker) << what << " block " << b << " " << pair.name;
    if (plainStatus < 0) return;
  }
}

const DecoderPair kPairs[] = {{"decode", decodeBlockHuffman, decodeBlockMmxCmov},
                              {"DC only", decodeBlockDcOnly, skipBlockMmx}};

// A valid canonical code with random counts over lengths 1..16 (often
// leaving code space unused), its values drawn from `symbols`.
void RandomTable(std::mt19937& random, const std::vector<std::uint8_t>& symbols, JpegHuffmanDecodeTable& table) {
  std::uint8_t counts[16] = {};
  std::vector<std::uint8_t> values;
  std::uint32_t code = 0;
  for (int length = 1; length <= 16 && values.size() < symbols.size(); ++length) {
    const std::uint32_t room = (1u << length) - code;
    const auto limit = static_cast<std::uint32_t>(std::min<std::size_t>(room, symbols.size() - values.size()));
    std::uint32_t count = random() % 4 == 0 ? 0 : random() % (std::min<std::uint32_t>(limit, 12) + 1);
    if (length == 16 || room > 0x8000) count = std::min(limit, count);
    counts[length - 1] = static_cast<std::uint8_t>(count);
    for (std::uint32_t n = 0; n < count; ++n) values.push_back(symbols[values.size()]);
    code = (code + count) << 1;
  }
  ASSERT_EQ(jpegBuildDecodeTable(counts, values.data(), table), JPEG_SUCCESS);
}

// Random entropy bytes: mostly ordinary, with stuffed 0xFF, fill bytes
// before a marker, restart markers and sometimes a 0xFF as the last byte.
Bytes DamagedData(std::mt19937& random, std::size_t size) {
  Bytes data;
  while (data.size() < size) {
    const std::uint32_t pick = random() % 64;
    if (pick == 0) {
      data.insert(data.end(), {0xFF, 0x00});
    } else if (pick == 1 && random() % 4 == 0) {
      data.insert(data.end(), {0xFF, 0xFF, 0x00});
    } else if (pick == 2 && random() % 8 == 0) {
      data.insert(data.end(), {0xFF, static_cast<std::uint8_t>(0xD0 + random() % 8)});
    } else {
      data.push_back(static_cast<std::uint8_t>(random() % 0xFF));
    }
  }
  if (random() % 4 == 0) data.push_back(0xFF);
  return data;
}

TEST(JpegDecoderHuffman, FastDecodersFollowThePlainOnesOnCodedBlocks) {
  JpegHuffmanCodes dcCodes, acCodes;
  DecodeTables tables;
  ASSERT_EQ(jpegBuildHuffmanCodes(kJpegDcLuminanceCounts, kJpegDcLuminanceValues, dcCodes), JPEG_SUCCESS);
  ASSERT_EQ(jpegBuildHuffmanCodes(kJpegAcLuminanceCounts, kJpegAcLuminanceValues, acCodes), JPEG_SUCCESS);
  ASSERT_EQ(jpegBuildDecodeTable(kJpegDcLuminanceCounts, kJpegDcLuminanceValues, tables.dc), JPEG_SUCCESS);
  ASSERT_EQ(jpegBuildDecodeTable(kJpegAcLuminanceCounts, kJpegAcLuminanceValues, tables.ac), JPEG_SUCCESS);
  std::mt19937 random(29);
  // Sparse, dense and extreme blocks; the stream ends without a marker,
  // with one, and cut short.
  Bytes buffer(1 << 20);
  JpegOutputStream out;
  outputBegin(out, buffer.data(), buffer.size());
  std::int16_t predictor = 0;
  const int kBlocks = 3000;
  std::vector<std::array<std::int16_t, 64>> blocks(kBlocks);
  for (int b = 0; b < kBlocks; ++b) {
    std::int16_t* block = blocks[static_cast<std::size_t>(b)].data();
    std::fill(block, block + 64, 0);
    const int kind = b % 4;
    for (int i = 0; i < 64; ++i) {
      const int r = static_cast<int>(random() % 2047) - 1023;
      if (kind == 0 && i < 6) block[i] = static_cast<std::int16_t>(r / 64);
      if (kind == 1 && random() % 3 == 0) block[i] = static_cast<std::int16_t>(r / 8);
      if (kind == 2) block[i] = static_cast<std::int16_t>(r);
      if (kind == 3 && i == 0) block[i] = static_cast<std::int16_t>(r);
    }
    ASSERT_EQ(encodeBlockHuffman(out, dcCodes, acCodes, predictor, block), JPEG_SUCCESS);
  }
  ASSERT_EQ(outputWriteBytes(nullptr, 0, out), JPEG_SUCCESS);
  const Bytes coded(buffer.begin(), buffer.begin() + out.bytesWritten);
  Bytes withMarker = coded;
  withMarker.insert(withMarker.end(), {0xFF, 0xD9});
  const Bytes cut(coded.begin(), coded.begin() + coded.size() / 2);
  // Every symbol decodes, 0x64 (six zeros, then four value bits) too.
  for (const JpegBlockDecoder decode : {decodeBlockHuffman, decodeBlockMmxCmov}) {
    JpegInputStream in;
    inputBeginBuffer(in, coded.data(), coded.size());
    predictor = 0;
    for (int b = 0; b < kBlocks; ++b) {
      std::array<std::int16_t, 64> block;
      ASSERT_EQ(decode(in, tables.dc, tables.ac, predictor, block.data()), JPEG_SUCCESS);
      ASSERT_EQ(block, blocks[static_cast<std::size_t>(b)]) << "block " << b;
    }
  }
  for (const DecoderPair& pair : kPairs) {
    ExpectSameBlocks(pair, tables, coded, kBlocks + 2, "coded");
    ExpectSameBlocks(pair, tables, withMarker, kBlocks + 2, "coded with a marker");
    ExpectSameBlocks(pair, tables, cut, kBlocks, "cut");
  }
}

TEST(JpegDecoderHuffman, FastDecodersFollowThePlainOnesOnRandomTablesAndDamage) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> acSymbols(256);
  std::iota(acSymbols.begin(), acSymbols.end(), 0);
  for (int round = 0; round < 400; ++round) {
    DecodeTables tables;
    // DC categories up to 16, now and then one above (a data error).
    std::vector<std::uint8_t> dcSymbols(17);
    std::iota(dcSymbols.begin(), dcSymbols.end(), 0);
    if (round % 5 == 0) dcSymbols.push_back(static_cast<std::uint8_t>(17 + random() % 200));
    std::shuffle(dcSymbols.begin(), dcSymbols.end(), random);
    std::shuffle(acSymbols.begin(), acSymbols.end(), random);
    RandomTable(random, dcSymbols, tables.dc);
    RandomTable(random, acSymbols, tables.ac);
    const Bytes data = DamagedData(random, 64 + random() % 4096);
    for (const DecoderPair& pair : kPairs) {
      ExpectSameBlocks(pair, tables, data, 400, "round " + std::to_string(round));
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
