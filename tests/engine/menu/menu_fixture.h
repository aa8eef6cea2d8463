// A pop-up menu over fake display memory: the screen's portrait geometry
// with chosen pitches (a negative pitch moves the frame pointer to the far
// end) inside a block of canaries, the fake glyph source and fixed status
// figures.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/menu/popup_menu.h"
#include "engine/runtime/plugin_version.h"
#include "engine/text/text_fixture.h"
#include "host/device/system_status_api.h"

struct MenuDisplay {
  int screenWidth;
  int screenHeight;
  int xPitch;
  int yPitch;
};

// A 16-bit bitmap file image whose pixel (column, stored row) is 0x4000 + row * 16 + column.
inline std::vector<std::uint8_t> Thumbnail(std::int32_t width, std::int32_t height) {
  const std::size_t stride = (width * 2 + 3) & ~3;
  std::vector<std::uint8_t> image(54 + stride * height, 0);
  std::memcpy(&image[18], &width, 4);
  std::memcpy(&image[22], &height, 4);
  image[28] = 16;
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const auto pixel = static_cast<std::uint16_t>(0x4000 + row * 16 + x);
      std::memcpy(&image[54 + row * stride + x * 2], &pixel, 2);
    }
  }
  return image;
}

class FakeMenuDisplay {
 public:
  static inline FakeMenuDisplay* current = nullptr;
  static constexpr std::uint8_t kCanary = 0xA5;
  static constexpr std::size_t kBorder = 4096;

  explicit FakeMenuDisplay(const MenuDisplay& layout) : layout_(layout) {
    // The span of every pixel's address from the frame pointer, whatever the pitches' signs.
    const std::ptrdiff_t rows = static_cast<std::ptrdiff_t>(layout.screenWidth - 1) * layout.yPitch;
    const std::ptrdiff_t columns = static_cast<std::ptrdiff_t>(layout.screenHeight - 1) * layout.xPitch;
    const std::ptrdiff_t lowest = std::min<std::ptrdiff_t>(rows, 0) + std::min<std::ptrdiff_t>(columns, 0);
    const std::ptrdiff_t highest = std::max<std::ptrdiff_t>(rows, 0) + std::max<std::ptrdiff_t>(columns, 0) + 2;
    memory_.assign(static_cast<std::size_t>(highest - lowest) + 2 * kBorder, kCanary);
    frame_ = memory_.data() + kBorder - lowest;
    for (int x = 0; x < layout.screenWidth; ++x) {
      for (int y = 0; y < layout.screenHeight; ++y) Set(x, y, static_cast<std::uint16_t>(x * 7 + y * 131));
    }
    properties_ = GXDisplayProperties{static_cast<DWORD>(layout.screenHeight), static_cast<DWORD>(layout.screenWidth),
                                      layout.xPitch, layout.yPitch, 16, 0};
    current = this;
    SetDisplayAccess(DisplayAccess{[](GXDisplayProperties* out) { *out = current->properties_; },
                                   [] { return static_cast<void*>(current->frame_); }, [] { return 1; },
                                   RawDisplayAccess().detectScreenMode});
  }
  ~FakeMenuDisplay() {
    SetDisplayAccess(RawDisplayAccess());
    current = nullptr;
  }
  FakeMenuDisplay(const FakeMenuDisplay&) = delete;
  FakeMenuDisplay& operator=(const FakeMenuDisplay&) = delete;

  // Landscape pixel (x, y).
  std::uint16_t At(int x, int y) const {
    std::uint16_t pixel;
    std::memcpy(&pixel, Address(x, y), 2);
    return pixel;
  }
  void Set(int x, int y, std::uint16_t pixel) { std::memcpy(Address(x, y), &pixel, 2); }
  const std::vector<std::uint8_t>& Memory() const { return memory_; }

 private:
  std::uint8_t* Address(int x, int y) const {
    return frame_ + static_cast<std::ptrdiff_t>(layout_.screenWidth - 1 - x) * layout_.yPitch +
           static_cast<std::ptrdiff_t>(y) * layout_.xPitch;
  }

  MenuDisplay layout_;
  std::vector<std::uint8_t> memory_;
  std::uint8_t* frame_;
  GXDisplayProperties properties_{};
};

class MenuTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    HostSetSystemFigures(HostSystemFigures{});
    SetOggPluginVersion("");
    SetOutputRate(22050);
    SYSTEMTIME start{};
    start.wYear = 2000;
    start.wMonth = 1;
    start.wDay = 1;
    HostClockSetLocalTime(start);
  }
  void TearDown() override {
    menu_.reset();
    display_.reset();
    HostClearSystemFigures();
    SetOggPluginVersion("");
    TextTest::TearDown();
  }

  void Open(const MenuDisplay& layout) {
    SetScreenWidth(layout.screenWidth);
    SetScreenHeight(layout.screenHeight);
    menu_.reset();
    display_.reset();
    display_ = std::make_unique<FakeMenuDisplay>(layout);
    menu_ = std::make_unique<CPopupMenu>();
  }

  // Landscape pixel of the menu's canvas.
  std::uint16_t CanvasAt(int x, int y) const {
    const int w = display_ ? static_cast<int>(GetScreenWidth()) : 0;
    return menu_->Canvas()[static_cast<std::size_t>(w - 1 - x) * GetScreenHeight() + y];
  }

  std::unique_ptr<FakeMenuDisplay> display_;
  std::unique_ptr<CPopupMenu> menu_;
};
