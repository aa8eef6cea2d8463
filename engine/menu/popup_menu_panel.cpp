// Drawing the menu panel into the canvas.
#include <algorithm>
#include <cstring>

#include "common/format_text.h"
#include "common/sjis_string.h"
#include "engine/menu/popup_menu.h"
#include "engine/runtime/plugin_version.h"
#include "engine/runtime/runtime_globals.h"
#include "host/device/system_status_api.h"
#include "host/time/time_api.h"

namespace {

constexpr std::uint16_t kPanel = 0xD699;
constexpr std::uint16_t kBand = 0x0010;
constexpr std::uint16_t kWhite = 0xFFFF;
constexpr std::uint16_t kGrey = 0x8410;
constexpr std::uint16_t kShadow = 0x4208;
constexpr std::uint16_t kBlack = 0x0000;
constexpr int kBlackText = 0;
constexpr int kWhiteText = 255;
constexpr int kGreyText = 128;
constexpr int kCharacterStep = 6;

// Rows of six pixels, the first (smallest x) in bit 5.
constexpr std::uint8_t kCheckGlyph[12] = {0, 0, 0, 0, 0b000010, 0b010110, 0b011100, 0b001000, 0, 0, 0, 0};
constexpr std::uint8_t kArrowGlyph[12] = {0,        0,        0,        0b010000, 0b011000, 0b011100,
                                          0b011110, 0b011100, 0b011000, 0b010000, 0,        0};

constexpr char kVersionFormat[] = " [Tamberwick.ovl %s][%f2.2kHz]";

int ItemTop(int index) { return 34 + 13 * index; }

}  // namespace

void CPopupMenu::Put(int x, int y, std::uint16_t pixel) {
  if (x < 0 || y < 0 || x >= screenWidth_ || y >= screenHeight_) return;
  canvas_[static_cast<std::size_t>(screenWidth_ - 1 - x) * screenHeight_ + y] = pixel;
}

void CPopupMenu::FillRect(int left, int top, int right, int bottom, std::uint16_t pixel) {
  for (int x = std::max(left, 0); x <= std::min(right, screenWidth_ - 1); ++x) {
    for (int y = std::max(top, 0); y <= std::min(bottom, screenHeight_ - 1); ++y) Put(x, y, pixel);
  }
}

void CPopupMenu::DrawMark(const std::uint8_t (&rows)[12], int left, int top, int enabled) {
  // A disabled mark's white shadow goes first so that the grey ink stays whole.
  for (int pass = enabled ? 1 : 0; pass < 2; ++pass) {
    for (int row = 0; row < 12; ++row) {
      for (int column = 0; column < 6; ++column) {
        if ((rows[row] & (0x20 >> column)) == 0) continue;
        if (pass == 0) {
          Put(left + column + 1, top + row + 1, kWhite);
        } else {
          Put(left + column, top + row, enabled ? kBlack : kGrey);
        }
      }
    }
  }
}

void CPopupMenu::ComposeHeader(char (&breadcrumb)[512], char (&status)[128]) const {
  breadcrumb[0] = '\0';
  for (int level = 0; level <= depth_; ++level) {
    if (level > 0) StrAppend(breadcrumb, "->");
    StrAppend(breadcrumb, "[");
    StrAppend(breadcrumb, titles_[level]);
    StrAppend(breadcrumb, "]");
  }
  if (depth_ == 0 && screenWidth_ >= 640) {
    char version[128] = {};
    GetOggPluginVersion(version, sizeof version);
    if (char* open = std::strchr(version, '(')) *open = '\0';
    if (version[0] != '\0') {
      // The version is cut (on a character boundary) so that the breadcrumb
      // keeps to the screen.
      char bare[128];
      FormatText(bare, sizeof bare, kVersionFormat, "", 0.0f);
      const int room = screenWidth_ / kCharacterStep - 2 - static_cast<int>(StrLength(breadcrumb) + StrLength(bare));
      char cut[128];
      StrCopy(cut, static_cast<std::size_t>(std::clamp(room + 1, 1, 128)), version);
      char suffix[256];
      FormatText(suffix, sizeof suffix, kVersionFormat, cut, static_cast<float>(GetOutputRate()) * 0.001f);
      StrAppend(breadcrumb, suffix);
    }
  }
  SYSTEMTIME now{};
  GetLocalTime(&now);
  SYSTEM_POWER_STATUS_EX2 power{};
  if (GetSystemPowerStatusEx2(&power, sizeof power, 1) == 0) power.BatteryLifePercent = 255;
  if (screenWidth_ < 640) {
    FormatText(status, sizeof status, "[%z4-%z2-%z2 %z2:%z2][%d%c]", now.wYear, now.wMonth, now.wDay, now.wHour,
               now.wMinute, power.BatteryLifePercent, '%');
    return;
  }
  MEMORYSTATUS memory{};
  GlobalMemoryStatus(&memory);
  STORE_INFORMATION store{};
  GetStoreInformation(&store);
  FormatText(status, sizeof status, "[%z4-%z2-%z2 %z2:%z2][%d%c][%dMB(%d%c)][%dMB]", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, power.BatteryLifePercent, '%', memory.dwAvailPhys >> 20, memory.dwMemoryLoad,
             '%', store.dwFreeSize >> 20);
}

void CPopupMenu::RenderPanel() {
  char breadcrumb[512];
  char status[128];
  ComposeHeader(breadcrumb, status);
  const int count = current_ != nullptr ? static_cast<int>(current_->count) : 0;
  int width = static_cast<int>(std::max(StrLength(breadcrumb), StrLength(status)) + 2) * kCharacterStep;
  for (int i = 0; i < count; ++i) {
    width = std::max(width, static_cast<int>(StrLength(current_->items[i].text) + 4) * kCharacterStep);
  }
  panelWidth_ = std::min(width, screenWidth_);
  panelHeight_ = std::min(count * 13 + 40, screenHeight_);
  const int w = panelWidth_;
  const int h = panelHeight_;
  FillRect(0, 0, w - 1, h - 1, kPanel);
  FillRect(1, 1, w - 2, 1, kWhite);
  FillRect(1, 1, 1, h - 2, kWhite);
  FillRect(1, h - 2, w - 2, h - 2, kShadow);
  FillRect(1, h - 1, w - 2, h - 1, kBlack);
  FillRect(w - 2, 1, w - 2, h - 2, kShadow);
  FillRect(w - 1, 1, w - 1, h - 2, kBlack);
  std::uint16_t* canvas = canvas_.data();
  text_.DrawText(canvas, status, 6, 4, kBlackText, 0);
  text_.DrawText(canvas, breadcrumb, 6, 16, kBlackText, 0);
  FillRect(6, 29, w - 7, 29, kGrey);
  FillRect(6, 30, w - 7, 30, kWhite);
  for (int i = 0; i < count; ++i) {
    const MenuItem& item = current_->items[i];
    const int top = ItemTop(i);
    if (item.kind == kMenuSeparator) {
      FillRect(12, top + 6, w - 13, top + 6, kGrey);
      FillRect(12, top + 7, w - 13, top + 7, kWhite);
      continue;
    }
    const int enabled = (item.flags & kMenuEnabled) != 0 ? 1 : 0;
    if (enabled) {
      text_.DrawText(canvas, item.text, 12, top, kBlackText, 0);
    } else {
      text_.DrawText(canvas, item.text, 13, top + 1, kWhiteText, 0);
      text_.DrawText(canvas, item.text, 12, top, kGreyText, 0);
    }
    if ((item.flags & kMenuChecked) != 0) DrawMark(kCheckGlyph, 4, top, enabled);
    if (item.kind == kMenuSubmenu) DrawMark(kArrowGlyph, w - 10, top, enabled);
  }
}

void CPopupMenu::HighlightItem(int index, int on) {
  if (!Selectable(index)) return;
  MenuItem& item = current_->items[index];
  const int top = ItemTop(index);
  FillRect(11, top, panelWidth_ - 12, top + 12, on ? kBand : kPanel);
  if ((item.flags & kMenuHasIcon) != 0) DrawIcon(item, on);
  text_.DrawText(canvas_.data(), item.text, 12, top, on ? kWhiteText : kBlackText, 0);
  highlight_ = on ? index : -1;
}
