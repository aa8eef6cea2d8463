#include "engine/raster/rule_transition.h"

#include <algorithm>

#include "common/sjis_string.h"
#include "engine/archive/archive_reader.h"
#include "engine/pictures/rbp_format.h"
#include "engine/pictures/rbp_jbp.h"
#include "engine/pictures/rbp_loader.h"
#include "engine/raster/rule_step_row.h"
#include "engine/runtime/engine_clock.h"
#include "host/memory/memory_api.h"

namespace {

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
    StepRuleRow(mode_ == kModeHard ? RuleStepKind::Hard : RuleStepKind::Soft, levels_ + at, src + at, dst + at,
                right - left, threshold);
  }
  return 1;
}
