#include "tests/engine/movie/movie_fixture.h"

#include "common/byte_order.h"
#include "converter/jbp1/jbp1_record_writer.h"
#include "engine/pictures/picture_decoder.h"

Rzm2Header MovieHeader(bool version2, std::uint32_t storedWidth, std::uint32_t storedHeight,
                       std::uint32_t rateNumerator, std::uint32_t timeBase) {
  Rzm2Header header;
  header.version2 = version2;
  header.storedWidth = storedWidth;
  header.storedHeight = storedHeight;
  header.rateNumerator = rateNumerator;
  header.timeBase = timeBase;
  return header;
}

std::vector<std::vector<std::uint8_t>> NumberedRecords(std::uint32_t frames, std::uint32_t bytes) {
  std::vector<std::vector<std::uint8_t>> records(frames, std::vector<std::uint8_t>(bytes, 0xA5));
  for (std::uint32_t frame = 0; frame < frames; ++frame) WriteLe32(records[frame].data(), frame);
  return records;
}

std::vector<std::uint8_t> MovieFileBytes(const Rzm2Header& header, const std::vector<std::vector<std::uint8_t>>& records) {
  std::vector<std::uint32_t> sizes;
  for (const auto& record : records) sizes.push_back(static_cast<std::uint32_t>(record.size()));
  std::vector<std::uint8_t> file = BuildRzm2IndexBlock(header, sizes);
  for (const auto& record : records) file.insert(file.end(), record.begin(), record.end());
  return file;
}

namespace {

// DC values only: dc(block index within its macroblock, block index) for each block.
template <typename Dc>
std::vector<std::uint8_t> DcOnlyRecord(std::uint32_t width, std::uint32_t height, Dc dc) {
  const std::size_t macroblocks = std::size_t{(width + 15) / 16} * ((height + 15) / 16);
  std::vector<std::int16_t> blocks(macroblocks * 6 * 64, 0);
  for (std::size_t block = 0; block < macroblocks * 6; ++block) blocks[block * 64] = dc(block % 6, block);
  std::uint8_t quantiser[64];
  for (std::uint8_t& q : quantiser) q = 8;
  reelpack::JbpPictureSource source;
  source.width = static_cast<int>(width);
  source.height = static_cast<int>(height);
  source.quality = 75;
  source.blocks = blocks.data();
  source.lumaQuantiser = quantiser;
  source.chromaQuantiser = quantiser;
  std::vector<std::uint8_t> record;
  reelpack::WriteJbpRecord(source, record);
  return record;
}

}  // namespace

std::vector<std::uint8_t> BlockPictureRecord(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  return DcOnlyRecord(width, height, [seed](std::size_t, std::size_t block) {
    return static_cast<std::int16_t>((block * 37 + seed * 11) % 61) - 30;
  });
}

std::vector<std::uint8_t> FlatPictureRecord(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  return DcOnlyRecord(width, height, [seed](std::size_t kind, std::size_t) {
    // Luma, blue and red differences each move with the seed.
    return static_cast<std::int16_t>(kind < 4 ? (seed * 23) % 50 - 25 : (seed * (kind == 4 ? 13 : 29)) % 40 - 20);
  });
}

std::vector<std::vector<std::uint8_t>> BlockPictureRecords(std::uint32_t frames, std::uint32_t width, std::uint32_t height) {
  std::vector<std::vector<std::uint8_t>> records;
  for (std::uint32_t frame = 0; frame < frames; ++frame) records.push_back(BlockPictureRecord(width, height, frame));
  return records;
}

std::vector<std::uint16_t> DecodeMovieRecord(const std::vector<std::uint8_t>& record) {
  CPictureDecoder decoder;
  decoder.InitForMovie();
  decoder.SetInput(record.data(), record.size());
  if (decoder.ParseHeader() != 1) return {};
  decoder.Reset();
  const std::size_t alignedWidth = (decoder.Width() + 15) / 16 * 16;
  std::vector<std::uint16_t> aligned(alignedWidth * ((decoder.Height() + 15) / 16 * 16));
  decoder.SetOutput(aligned.data(), aligned.size() * 2);
  if (decoder.DecodeMovieFrame() != 1) return {};
  std::vector<std::uint16_t> packed;
  for (std::uint32_t y = 0; y < decoder.Height(); ++y) {
    packed.insert(packed.end(), aligned.begin() + y * alignedWidth, aligned.begin() + y * alignedWidth + decoder.Width());
  }
  return packed;
}
