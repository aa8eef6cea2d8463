#include "converter/jbp1/jpeg_coef_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "common/zigzag.h"

namespace reelpack {

namespace {

constexpr int kMaxSamplingFactor = 4;
constexpr int kMaxDcCategory = 15;

// The value of count bits read for a coefficient: a leading 0 bit stands for
// a negative value.
std::int32_t Extend(std::uint32_t bits, int count) {
  if (count == 0) return 0;
  const std::int32_t value = static_cast<std::int32_t>(bits);
  return value < (1 << (count - 1)) ? value + 1 - (1 << count) : value;
}

}  // namespace

bool CJpegCoefDecoder::Decode(CByteSource& source) {
  parser_.Reset();
  reader_.Open(source);
  blockCount_ = 0;
  layout_.clear();
  corrupt_ = false;
  bool ok = parser_.ReadHeaders(reader_);
  constexpr std::uint32_t kAllTables = CJpegHeaderParser::kSeenHuffman | CJpegHeaderParser::kSeenQuant |
                                       CJpegHeaderParser::kSeenFrame | CJpegHeaderParser::kSeenScan;
  if (ok && (parser_.seen & kAllTables) == kAllTables &&
      (parser_.frameMarker == 0xC0 || parser_.frameMarker == 0xC1)) {
    ok = PrepareScan();
    if (ok && parser_.precision == 8 && parser_.scan.size() == 3) ok = DecodeScan();
  }
  width_ = parser_.width;
  height_ = parser_.height;
  std::memcpy(quantTables_, parser_.quantTables, sizeof quantTables_);
  if (!ok) blockCount_ = 0;
  return ok;
}

bool CJpegCoefDecoder::PrepareScan() {
  maxHorizontal_ = maxVertical_ = 0;
  for (const JpegScanComponent& component : parser_.scan) {
    const auto match = std::find_if(parser_.frame.begin(), parser_.frame.end(),
                                    [&](const JpegFrameComponent& f) { return f.id == component.id; });
    if (match == parser_.frame.end()) return false;
    if (match->horizontal < 1 || match->horizontal > kMaxSamplingFactor || match->vertical < 1 ||
        match->vertical > kMaxSamplingFactor) {
      return false;
    }
    layout_.push_back({match->horizontal, match->vertical, match->quantTable});
    maxHorizontal_ = std::max(maxHorizontal_, match->horizontal);
    maxVertical_ = std::max(maxVertical_, match->vertical);
  }
  return true;
}

bool CJpegCoefDecoder::DecodeScan() {
  std::size_t blocksPerMcu = 0;
  for (std::size_t c = 0; c < layout_.size(); ++c) {
    const int rh = maxHorizontal_ / layout_[c].horizontal;
    const int rv = maxVertical_ / layout_[c].vertical;
    // Other ratios would need up-sampling factors this reader does not keep;
    // skipping their blocks would lose the entropy-coded data's alignment.
    if (!((rh == 1 && rv == 1) || (rh == 2 && rv == 2))) return false;
    if (parser_.huffmanTables[parser_.scan[c].dcTable].Empty() ||
        parser_.huffmanTables[CJpegHeaderParser::kTableCount + parser_.scan[c].acTable].Empty()) {
      return false;
    }
    blocksPerMcu += static_cast<std::size_t>(layout_[c].horizontal * layout_[c].vertical);
  }
  const std::uint32_t mcuWidth = 8u * static_cast<std::uint32_t>(maxHorizontal_);
  const std::uint32_t mcuHeight = 8u * static_cast<std::uint32_t>(maxVertical_);
  const std::size_t mcuColumns = (parser_.width + mcuWidth - 1) / mcuWidth;
  const std::size_t mcuRows = (parser_.height + mcuHeight - 1) / mcuHeight;
  const std::size_t blockTotal = mcuColumns * mcuRows * blocksPerMcu;
  if (blockTotal > kMaxBlocks) return false;
  if (blocks_.size() < 64 * blockTotal) blocks_.resize(64 * blockTotal);

  std::fill(std::begin(predictors_), std::end(predictors_), 0);
  std::uint32_t mcusSinceRestart = 0;
  reader_.SetBitMode(true);
  for (std::size_t mcu = 0; mcu < mcuColumns * mcuRows; ++mcu) {
    for (std::size_t c = 0; c < layout_.size(); ++c) {
      for (int b = 0; b < layout_[c].horizontal * layout_[c].vertical; ++b) {
        if (!DecodeBlock(static_cast<int>(c), blocks_.data() + 64 * blockCount_)) corrupt_ = true;
        ++blockCount_;
      }
    }
    if (parser_.restartInterval != 0 && ++mcusSinceRestart == parser_.restartInterval) {
      mcusSinceRestart = 0;
      reader_.SetBitMode(false);
      if (reader_.ReadRestartMarker() != 0) std::fill(std::begin(predictors_), std::end(predictors_), 0);
      reader_.SetBitMode(true);
    }
  }
  reader_.SetBitMode(false);
  return !corrupt_ && !reader_.RanPastData();
}

bool CJpegCoefDecoder::DecodeBlock(int component, std::int32_t* out) {
  const JpegScanComponent& scan = parser_.scan[static_cast<std::size_t>(component)];
  const CJpegHuffmanTable& dcTable = parser_.huffmanTables[scan.dcTable];
  const CJpegHuffmanTable& acTable = parser_.huffmanTables[CJpegHeaderParser::kTableCount + scan.acTable];
  const std::uint32_t* quant = parser_.quantTables[layout_[static_cast<std::size_t>(component)].quantTable];
  std::fill(out, out + 64, 0);

  int category = 0;
  bool ok = dcTable.DecodeSymbol(reader_, category);
  if (category > kMaxDcCategory) {
    category = 0;
    ok = false;
  }
  std::int32_t& predictor = predictors_[component];
  predictor += Extend(reader_.ReadBits(category), category);
  const std::int64_t dc = std::int64_t{predictor} * quant[0];
  if (dc < std::numeric_limits<std::int32_t>::min() || dc > std::numeric_limits<std::int32_t>::max()) return false;
  out[0] = keepQuantised_ ? predictor : static_cast<std::int32_t>(dc);

  for (int k = 1; k < 64;) {
    int symbol = 0;
    if (!acTable.DecodeSymbol(reader_, symbol)) ok = false;
    if (symbol == 0) break;
    const int size = symbol & 15;
    const std::int32_t value = Extend(reader_.ReadBits(size), size);
    k += symbol >> 4;
    // A run past the last coefficient ends the block.
    if (k > 63) break;
    out[kZigzagToNatural[k]] = keepQuantised_ ? value : value * static_cast<std::int32_t>(quant[k]);
    ++k;
  }
  return ok;
}

}  // namespace reelpack
