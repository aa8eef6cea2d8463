#include "engine/pictures/picture_decoder.h"

#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

#include "common/jbp1_format.h"
#include "engine/pictures/picture_decoder_idct.h"
#include "host/memory/memory_api.h"

static_assert(std::endian::native == std::endian::little, "pixel pairs and stream words are stored little-endian");

namespace {

// Reads a stream's bits from bit 0 upwards of its little-endian 32-bit words,
// which is byte by byte from the least significant bit. Past the end it reads
// zero bits and remembers that it did.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t length) : data_(data), length_(length) {}

  // Afterwards at least 57 bits are buffered. Away from the stream's end a
  // whole word is loaded: the bits it puts above the count belong to the next
  // bytes at the places they will be loaded to, so loading those again
  // changes nothing.
  void Fill() {
    if (count_ > 56) return;
    if (length_ - next_ >= 8) {
      std::uint64_t word;
      std::memcpy(&word, data_ + next_, sizeof word);
      buffer_ |= word << count_;
      const int bytes = (64 - count_) >> 3;
      next_ += static_cast<std::size_t>(bytes);
      count_ += 8 * bytes;
      return;
    }
    while (count_ <= 56) {
      std::uint64_t byte = 0;
      if (next_ < length_) {
        byte = data_[next_++];
      } else {
        ++missingBytes_;
      }
      buffer_ |= byte << count_;
      count_ += 8;
    }
  }
  std::uint32_t Peek(int n) const { return static_cast<std::uint32_t>(buffer_) & ((1u << n) - 1); }
  void Skip(int n) {
    buffer_ >>= n;
    count_ -= n;
  }
  int Bit() {
    if (count_ == 0) Fill();
    const int bit = static_cast<int>(buffer_ & 1);
    Skip(1);
    return bit;
  }
  // True once a bit beyond the stream's end has been consumed.
  bool Overrun() const { return missingBytes_ * 8 > static_cast<std::size_t>(count_); }

 private:
  const std::uint8_t* data_;
  std::size_t length_;
  std::size_t next_ = 0;
  std::uint64_t buffer_ = 0;
  int count_ = 0;
  std::size_t missingBytes_ = 0;
};

constexpr auto kReversedBytes = [] {
  std::array<std::uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) {
    int reversed = 0;
    for (int bit = 0; bit < 8; ++bit) reversed |= ((i >> bit) & 1) << (7 - bit);
    table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(reversed);
  }
  return table;
}();

// Walks on bit by bit from a node the look-up table reached.
int FinishSymbol(BitReader& reader, const JbpHuffmanTree& tree, int node) {
  while (node >= tree.leafCount) node = tree.child[reader.Bit()][node];
  return node;
}

// An s-bit value whose first bit (bit 0 of raw) is its most significant; a
// top bit of 0 marks a negative value.
int ValueOfBits(std::uint32_t raw, int bits) {
  if (bits == 0) return 0;
  const int value = static_cast<int>(
      (static_cast<std::uint32_t>(kReversedBytes[raw & 0xFF]) << 8 | kReversedBytes[(raw >> 8) & 0xFF]) >>
      (16 - bits));
  return value < (1 << (bits - 1)) ? value - (1 << bits) + 1 : value;
}

int ReadValue(BitReader& reader, int bits) {
  if (bits == 0) return 0;
  reader.Fill();
  const std::uint32_t raw = reader.Peek(bits);
  reader.Skip(bits);
  return ValueOfBits(raw, bits);
}

// Decodes the AC symbols of one block into block (whose DC is set). With a
// zigzag-order quantiser each value is stored dequantised.
void DecodeAcBlock(BitReader& stream, const PictureAcDecoder& decoder, std::int16_t block[64],
                   const std::uint16_t* zigzagQuantiser) {
  // A local copy the compiler can keep in registers.
  BitReader reader = stream;
  int k = 0;
  while (k < 63) {
    reader.Fill();
    const PictureAcDecoder::Entry& entry = decoder.lookahead[reader.Peek(kAcLookaheadBits)];
    int value;
    if (entry.totalLength != 0) {
      reader.Skip(entry.totalLength);
      k += entry.runOrCodeLength;
      value = entry.valueOrNode;
    } else {
      reader.Skip(entry.runOrCodeLength);
      const int symbol = FinishSymbol(reader, decoder.tree, entry.valueOrNode);
      if (symbol == 0) break;
      if (symbol >= 0xF0) {
        k += (symbol & 15) + 15;
        continue;
      }
      k += symbol >> 4;
      value = ReadValue(reader, symbol & 15);
    }
    // A run that passes the last coefficient ends the block.
    if (k >= 63) break;
    ++k;
    const int stored = zigzagQuantiser != nullptr ? value * zigzagQuantiser[k] : value;
    block[kZigzagToNatural[k]] = static_cast<std::int16_t>(stored);
  }
  stream = reader;
}

}  // namespace

template <int Bits>
void PictureSymbolDecoder<Bits>::Build(int symbols, const std::uint32_t* counts, PictureSymbols kind) {
  BuildHuffmanTree(symbols, counts, tree);
  for (int peek = 0; peek < (1 << kLookaheadBits); ++peek) {
    int node = tree.Root();
    int length = 0;
    while (node >= tree.leafCount && length < kLookaheadBits) {
      node = tree.child[(peek >> length) & 1][node];
      ++length;
    }
    Entry entry{static_cast<std::int16_t>(node), static_cast<std::uint8_t>(length), 0};
    const bool dc = kind == PictureSymbols::DcSizes;
    // The end of block and the long zero runs carry no value.
    const bool carriesValue = node < tree.leafCount && (dc || (node != 0 && node < 0xF0));
    const int valueBits = dc ? node : node & 15;
    if (carriesValue && length + valueBits <= kLookaheadBits) {
      entry = {static_cast<std::int16_t>(ValueOfBits(static_cast<std::uint32_t>(peek) >> length, valueBits)),
               static_cast<std::uint8_t>(dc ? 0 : node >> 4), static_cast<std::uint8_t>(length + valueBits)};
    }
    lookahead[peek] = entry;
  }
}

template struct PictureSymbolDecoder<kDcLookaheadBits>;
template struct PictureSymbolDecoder<kAcLookaheadBits>;

void CPictureDecoder::InitForImage() {
  clampTables_.Build(768, 256);
  ResetRecord();
}

void CPictureDecoder::InitForMovie() {
  clampTables_.Build(512, 128);
  ResetRecord();
}

void CPictureDecoder::ResetRecord() {
  width_ = height_ = 0;
  bitsPerPixel_ = 24;
  quality_ = 80;
  std::memset(lumaQuantiser_, 0, sizeof lumaQuantiser_);
  std::memset(chromaQuantiser_, 0, sizeof chromaQuantiser_);
  quantisersLoaded_ = false;
  aligned_ = true;
  headerParsed_ = false;
  input_ = nullptr;
  inputLength_ = 0;
  output_ = nullptr;
  outputCapacity_ = outputSize_ = outputStride_ = 0;
  alignedWidth_ = alignedHeight_ = 0;
  ready_ = false;
}

void CPictureDecoder::SetInput(const std::uint8_t* record, std::size_t length) {
  input_ = record;
  inputLength_ = record != nullptr ? length : 0;
  headerParsed_ = false;
}

void CPictureDecoder::SetOutput(std::uint16_t* pixels, std::size_t capacity) {
  output_ = pixels;
  outputCapacity_ = pixels != nullptr ? capacity : 0;
}

int CPictureDecoder::ParseHeader() {
  headerParsed_ = false;
  JbpPictureHeader header;
  if (!ReadJbpPictureHeader(input_, inputLength_, header)) return 0;
  if (header.headerSize < kJbpHeaderSize || header.headerSize > inputLength_ ||
      inputLength_ - header.headerSize < kJbpDcCountBytes) {
    return 0;
  }
  if (header.width == 0 || header.height == 0 || header.width > kJbpMaxDimension ||
      header.height > kJbpMaxDimension) {
    return 0;
  }
  quality_ = header.quality;
  width_ = header.width;
  height_ = header.height;
  bitsPerPixel_ = header.bitsPerPixel;
  aligned_ = width_ % 16 == 0 && height_ % 16 == 0;
  alignedWidth_ = (width_ + 15) & ~15u;
  alignedHeight_ = (height_ + 15) & ~15u;
  outputStride_ = std::size_t{alignedWidth_} * bitsPerPixel_ / 8;
  headerSize_ = header.headerSize;
  flags_ = header.flags;
  dcStreamBytes_ = header.dcStreamBytes;
  acStreamBytes_ = header.acStreamBytes;
  headerParsed_ = true;
  return 1;
}

bool CPictureDecoder::PrepareStreams(Path path) {
  if (!headerParsed_) return false;
  std::uint32_t dcCounts[kJbpDcSymbols];
  for (int c = 0; c < kJbpDcSymbols; ++c) dcCounts[c] = ReadLe32(input_ + headerSize_ + 4 * c);
  const std::size_t packedStart = headerSize_ + kJbpDcCountBytes;
  std::uint32_t acCounts[kJbpAcSymbols];
  const std::size_t packedBytes = UnpackAcCounts(input_ + packedStart, inputLength_ - packedStart, acCounts);
  if (packedBytes == 0) return false;
  std::size_t position = packedStart + RoundUpToWord(packedBytes);
  if (position > inputLength_) return false;
  if (flags_ & kJbpFlagQuantisersPresent) {
    if (inputLength_ - position < 2 * kJbpQuantiserBytes) return false;
    const std::uint8_t* luma = input_ + position;
    const std::uint8_t* chroma = luma + kJbpQuantiserBytes;
    for (int k = 0; k < 64; ++k) {
      const int from = path == Path::Movie ? kZigzagToNatural[k] : k;
      lumaQuantiser_[k] = luma[from];
      chromaQuantiser_[k] = chroma[from];
    }
    quantisersLoaded_ = true;
    position += 2 * kJbpQuantiserBytes;
  }
  // The two streams fill the rest of the record exactly.
  if (!quantisersLoaded_ || dcStreamBytes_ > inputLength_ - position ||
      acStreamBytes_ != inputLength_ - position - dcStreamBytes_) {
    return false;
  }
  dcStreamStart_ = position;
  acStreamStart_ = position + dcStreamBytes_;
  dcDecoder_.Build(kJbpDcSymbols, dcCounts, PictureSymbols::DcSizes);
  acDecoder_.Build(kJbpAcSymbols, acCounts, PictureSymbols::AcRunsAndSizes);
  return true;
}

bool CPictureDecoder::DecodeDcPass(std::int16_t* dcs, std::size_t blockCount) {
  BitReader reader(input_ + dcStreamStart_, dcStreamBytes_);
  int dc = 0;
  for (std::size_t b = 0; b < blockCount; ++b) {
    reader.Fill();
    const PictureDcDecoder::Entry& entry = dcDecoder_.lookahead[reader.Peek(kDcLookaheadBits)];
    int difference;
    if (entry.totalLength != 0) {
      reader.Skip(entry.totalLength);
      difference = entry.valueOrNode;
    } else {
      reader.Skip(entry.runOrCodeLength);
      difference = ReadValue(reader, FinishSymbol(reader, dcDecoder_.tree, entry.valueOrNode));
    }
    dc = static_cast<std::int16_t>(dc + difference);
    dcs[b] = static_cast<std::int16_t>(dc);
  }
  return !reader.Overrun();
}

int CPictureDecoder::DecodeImage() {
  if (!PrepareStreams(Path::Still)) return 0;
  const std::size_t blockCount = MacroblockCount() * kJbpBlocksPerMacroblock;
  const std::unique_ptr<std::int16_t[]> dcs(new (std::nothrow) std::int16_t[blockCount]);
  if (dcs == nullptr || !DecodeDcPass(dcs.get(), blockCount)) return 0;
  return DecodeRaster(Path::Still, dcs.get()) ? 1 : 0;
}

int CPictureDecoder::DecodeMovieFrame() {
  if (!headerParsed_ || MacroblockCount() > kMovieFrameMaxMacroblocks) return 0;
  if (!PrepareStreams(Path::Movie)) return 0;
  if (!DecodeDcPass(movieDcs_, MacroblockCount() * kJbpBlocksPerMacroblock)) return 0;
  return DecodeRaster(Path::Movie, movieDcs_) ? 1 : 0;
}

int CPictureDecoder::DecodeCoefficients(std::vector<std::int16_t>& blocks) {
  blocks.clear();
  if (!PrepareStreams(Path::Still)) return 0;
  const std::size_t blockCount = MacroblockCount() * kJbpBlocksPerMacroblock;
  std::vector<std::int16_t> dcs(blockCount);
  if (!DecodeDcPass(dcs.data(), blockCount)) return 0;
  blocks.assign(blockCount * 64, 0);
  BitReader reader(input_ + acStreamStart_, acStreamBytes_);
  for (std::size_t b = 0; b < blockCount; ++b) {
    std::int16_t* block = blocks.data() + 64 * b;
    block[0] = dcs[b];
    DecodeAcBlock(reader, acDecoder_, block, nullptr);
  }
  if (reader.Overrun()) {
    blocks.clear();
    return 0;
  }
  return 1;
}

bool CPictureDecoder::DecodeRaster(Path path, const std::int16_t* dcs) {
  const std::size_t bytes = std::size_t{alignedWidth_} * alignedHeight_ * 2;
  const bool allocated = output_ == nullptr;
  if (allocated) {
    output_ = static_cast<std::uint16_t*>(LocalAlloc(LMEM_FIXED, bytes));
    if (output_ == nullptr) return false;
    outputCapacity_ = bytes;
  } else if (outputCapacity_ < bytes) {
    return false;
  }
  if (!WriteMacroblocks(path, dcs)) {
    // The caller gets no picture, so a raster made for it must not outlive
    // the failure.
    if (allocated) {
      LocalFree(output_);
      output_ = nullptr;
      outputCapacity_ = 0;
    }
    return false;
  }
  outputSize_ = bytes;
  bitsPerPixel_ = 16;
  outputStride_ = std::size_t{alignedWidth_} * 2;
  return true;
}

bool CPictureDecoder::WriteMacroblocks(Path path, const std::int16_t* dcs) {
  BitReader reader(input_ + acStreamStart_, acStreamBytes_);
  const std::size_t columns = alignedWidth_ / 16;
  const std::size_t rows = alignedHeight_ / 16;
  std::int16_t blocks[kJbpBlocksPerMacroblock][64];
  for (std::size_t row = 0; row < rows; ++row) {
    for (std::size_t column = 0; column < columns; ++column) {
      for (int i = 0; i < kJbpBlocksPerMacroblock; ++i) {
        std::int16_t* block = blocks[i];
        const std::uint16_t* quantiser = i < 4 ? lumaQuantiser_ : chromaQuantiser_;
        std::memset(block, 0, sizeof blocks[i]);
        if (path == Path::Movie) {
          block[0] = static_cast<std::int16_t>(*dcs++ * quantiser[0]);
          DecodeAcBlock(reader, acDecoder_, block, quantiser);
          InverseDctMovie(block);
        } else {
          block[0] = *dcs++;
          DecodeAcBlock(reader, acDecoder_, block, nullptr);
          InverseDctStill(block, quantiser);
        }
      }
      if (reader.Overrun()) return false;
      ConvertMacroblock(blocks, clampTables_, output_ + row * 16 * alignedWidth_ + column * 16, alignedWidth_);
    }
  }
  return true;
}
