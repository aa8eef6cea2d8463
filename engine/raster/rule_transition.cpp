#include "engine/raster/rule_transition.h"

#include <algorithm>

#include "common/sjis_string.h"
#include "engine/archive/archive_reader.h"
#include "engine/runtime/engine_clock.h"
#include "engine/raster/raster_pixel.h"
#include "engine/pictures/rbp_format.h"
#include "engine/pictures/rbp_jbp.h"
#include "engine/pictures/rbp_loader.h"
#include "host/memory/memory_api.h"

namespace {

// Rows are stepped in blocks of fixed length, each pixel without branches,
// over planes that never overlap: the compiler then takes many pixels at once.
constexpr std::int32_t kStepBlock = 16;

// Hard: a level at or above the threshold still shows the old screen.
void StepHardBlock(const std::uint8_t* __restrict levels, const std::uint16_t* __restrict oldRow,
                   std::uint16_t* __restrict newRow, std::int32_t threshold) {
  for (std::int32_t i = 0; i < kStepBlock; ++i) {
    const std::uint16_t oldPixel = oldRow[i];
    const std::uint16_t newPixel = newRow[i];
    newRow[i] = levels[i] >= threshold ? oldPixel : newPixel;
  }
}

// Soft: below the threshold the old screen's weight falls by one of 64 for
// every 4 steps of the threshold; at or above it, it is whole.
std::uint16_t SoftOldWeight(std::int32_t threshold, std::uint8_t level) {
  return static_cast<std::uint16_t>(std::clamp<std::int32_t>(64 - ((threshold - level) >> 2), 0, 64));
}

void StepSoftBlock(const std::uint8_t* __restrict levels, const std::uint16_t* __restrict oldRow,
                   std::uint16_t* __restrict newRow, std::int32_t threshold) {
  for (std::int32_t i = 0; i < kStepBlock; ++i)
    newRow[i] = Blend64Lanes(oldRow[i], newRow[i], SoftOldWeight(threshold, levels[i]));
}

// Frees a local-heap block when it goes out of scope.
struct LocalBlock {
  void* block;
  ~LocalBlock() { LocalFree(block); }
};

}  // namespace

CRuleTransition::CRuleTransition(std::uint32_t width, std::uint32_t height) : width_(width), height_(height) {}

void CRuleTransition::FreeRule() {
  LocalFree(levels_);
  levels_ = nullptr;
}

int CRuleTransition::LoadRule(const char* name, const char* archivePath, CArchiveReader* archive,
                              std::uint32_t duration, std::uint32_t mode) {
  FreeRule();
  if (name == nullptr || archive == nullptr) return 0;
  levels_ = static_cast<std::uint8_t*>(LocalAlloc(LMEM_FIXED, std::size_t{width_} * height_));
  if (levels_ == nullptr) return 0;

  const char* separator = StrFindLast(name, '\\');
  char fileName[kPictureNameSize];
  std::uint32_t size = 0;
  void* file = nullptr;
  if (NormalisePictureName(separator ? separator + 1 : name, fileName))
    file = archive->ReadEntry(archivePath, fileName, &size);
  const LocalBlock fileBlock{file};
  if (file == nullptr || !BuildLevels(static_cast<const std::uint8_t*>(file), size)) {
    FreeRule();
    return 0;
  }
  duration_ = duration;
  mode_ = mode;
  return 1;
}

int CRuleTransition::BuildLevels(const std::uint8_t* file, std::uint32_t size) {
  RbpHeader header;
  if (!ReadRbpHeader(file, size, header)) return 0;
  // Only the JBP1-coded kinds hold a rule; the picture must cover the screen
  // row for row, since every screen pixel takes its level from it.
  if (header.kind != kRbpKindJbp && header.kind != kRbpKindJbpAlpha) return 0;
  if (header.width != width_ || header.height < height_) return 0;
  if (header.dataOffset > size || header.recordLength > size - header.dataOffset) return 0;
  auto* pixels = DecodeRbpJbpRecord(file + header.dataOffset, header.recordLength, header.width, header.height);
  if (pixels == nullptr) return 0;
  const LocalBlock pixelBlock{pixels};
  const std::size_t count = std::size_t{width_} * height_;
  for (std::size_t i = 0; i < count; ++i) levels_[i] = static_cast<std::uint8_t>(255 - ((pixels[i] >> 5) & 63));
  return 1;
}

int CRuleTransition::Start() {
  if (levels_ == nullptr) return 0;
  startTime_ = GetClockMs();
  return 1;
}

int CRuleTransition::Step(std::uint16_t* dst, const std::uint16_t* src, const RECT* clip) {
  const std::uint32_t elapsed = GetClockMs() - startTime_;
  if (levels_ == nullptr || elapsed >= duration_) return 0;
  if (src == nullptr || (mode_ != kModeHard && mode_ != kModeSoft)) return 1;

  const std::uint64_t scale = mode_ == kModeHard ? 256 : 512;
  const auto threshold = static_cast<std::int32_t>(std::uint64_t{elapsed} * scale / duration_);
  std::int32_t left = 0, top = 0;
  auto right = static_cast<std::int32_t>(width_), bottom = static_cast<std::int32_t>(height_);
  if (clip) {
    left = std::max<std::int32_t>(left, clip->left);
    top = std::max<std::int32_t>(top, clip->top);
    right = std::min<std::int32_t>(right, clip->right);
    bottom = std::min<std::int32_t>(bottom, clip->bottom);
  }
  for (std::int32_t y = top; y < bottom; ++y) {
    const std::size_t at = static_cast<std::size_t>(y) * width_ + left;
    StepRow(levels_ + at, src + at, dst + at, right - left, threshold);
  }
  return 1;
}

void CRuleTransition::StepRow(const std::uint8_t* __restrict levels, const std::uint16_t* __restrict oldRow,
                              std::uint16_t* __restrict newRow, std::int32_t count, std::int32_t threshold) const {
  std::int32_t x = 0;
  if (mode_ == kModeHard) {
    for (; x + kStepBlock <= count; x += kStepBlock) StepHardBlock(levels + x, oldRow + x, newRow + x, threshold);
    for (; x < count; ++x) newRow[x] = levels[x] >= threshold ? oldRow[x] : newRow[x];
  } else {
    for (; x + kStepBlock <= count; x += kStepBlock) StepSoftBlock(levels + x, oldRow + x, newRow + x, threshold);
    for (; x < count; ++x) newRow[x] = Blend64(oldRow[x], newRow[x], SoftOldWeight(threshold, levels[x]));
  }
}
