#include "tests/engine/movie/fake_display.h"

#include <algorithm>

#include "engine/shell/raw_display_access.h"

namespace {

constexpr std::ptrdiff_t kMargin = 64;
FakeDisplay* gInstalled = nullptr;

}  // namespace

struct FakeDisplayAccess {
  static void Read(GXDisplayProperties* out) { *out = gInstalled->Properties(); }
  static void* Begin() {
    ++gInstalled->draws_;
    return gInstalled->refuse_ ? nullptr : gInstalled->memory_.data() + gInstalled->baseIndex_;
  }
  static int End() {
    ++gInstalled->ends_;
    return 1;
  }
  static void Detect(CScreenMode*) {}
};

FakeDisplay::FakeDisplay(const DisplayGeometry& geometry) : geometry_(geometry) {
  const std::ptrdiff_t lastRow = static_cast<std::ptrdiff_t>(geometry.rows) - 1;
  const std::ptrdiff_t lastColumn = static_cast<std::ptrdiff_t>(geometry.columns) - 1;
  const std::ptrdiff_t corners[] = {0, lastRow * geometry.yPitch / 2, lastColumn * geometry.xPitch / 2,
                                    (lastRow * geometry.yPitch + lastColumn * geometry.xPitch) / 2};
  const std::ptrdiff_t low = *std::min_element(std::begin(corners), std::end(corners));
  const std::ptrdiff_t high = *std::max_element(std::begin(corners), std::end(corners));
  memory_.assign(static_cast<std::size_t>(high - low + 1 + 2 * kMargin), kCanary);
  baseIndex_ = kMargin - low;
  Reset();
  gInstalled = this;
  SetDisplayAccess(DisplayAccess{&FakeDisplayAccess::Read, &FakeDisplayAccess::Begin, &FakeDisplayAccess::End,
                                 &FakeDisplayAccess::Detect});
}

FakeDisplay::~FakeDisplay() {
  SetDisplayAccess(RawDisplayAccess());
  gInstalled = nullptr;
}

void FakeDisplay::Reset() {
  for (std::uint32_t row = 0; row < geometry_.rows; ++row) {
    for (std::uint32_t column = 0; column < geometry_.columns; ++column) {
      memory_[static_cast<std::size_t>(IndexOf(row, column))] = kBlank;
    }
  }
  draws_ = 0;
  ends_ = 0;
}

std::ptrdiff_t FakeDisplay::IndexOf(std::uint32_t row, std::uint32_t column) const {
  return baseIndex_ + (static_cast<std::ptrdiff_t>(row) * geometry_.yPitch +
                       static_cast<std::ptrdiff_t>(column) * geometry_.xPitch) / 2;
}

std::uint16_t FakeDisplay::At(std::uint32_t row, std::uint32_t column) const {
  return memory_[static_cast<std::size_t>(IndexOf(row, column))];
}

std::size_t FakeDisplay::CanaryDamage() const {
  std::vector<bool> inArea(memory_.size(), false);
  for (std::uint32_t row = 0; row < geometry_.rows; ++row) {
    for (std::uint32_t column = 0; column < geometry_.columns; ++column) {
      inArea[static_cast<std::size_t>(IndexOf(row, column))] = true;
    }
  }
  std::size_t damaged = 0;
  for (std::size_t i = 0; i < memory_.size(); ++i) {
    if (!inArea[i] && memory_[i] != kCanary) ++damaged;
  }
  return damaged;
}

MovieScreen FakeDisplay::Screen() {
  return MovieScreen{reinterpret_cast<std::uint8_t*>(memory_.data() + baseIndex_), geometry_.xPitch, geometry_.yPitch,
                     geometry_.rows, geometry_.columns};
}

GXDisplayProperties FakeDisplay::Properties() const {
  return GXDisplayProperties{geometry_.columns, geometry_.rows, geometry_.xPitch, geometry_.yPitch, 16, kfDirect565};
}
