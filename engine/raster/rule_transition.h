// The rule-image transition: the old screen gives way to the new one pixel
// by pixel in the order of a grey rule picture. Each screen pixel gets a
// level (255 minus the picture's 6-bit green, so 192..255); as time passes a
// threshold sweeps over the levels, switching pixels hard (mode 0) or fading
// them over 64 levels (mode 1). Because levels start at 192, the first 3/4
// (mode 0) or 3/8 (mode 1) of every transition shows no change.
#pragma once

#include <cstdint>

#include "host/window/window_api.h"

class CArchiveReader;

class CRuleTransition {
 public:
  enum Mode : std::uint32_t { kModeHard = 0, kModeSoft = 1 };

  // For a screen of width x height pixels; mode 0, no rule loaded.
  CRuleTransition(std::uint32_t width, std::uint32_t height);
  ~CRuleTransition() { FreeRule(); }
  CRuleTransition(const CRuleTransition&) = delete;
  CRuleTransition& operator=(const CRuleTransition&) = delete;

  // Loads the rule picture name (folder part dropped, ".rbp" put in place
  // of its extension) from the archive at archivePath. The picture must be a
  // JBP1-coded ".rbp" (kind 30 or 32) as wide as the screen and at least as
  // high. 1 when the level map is ready, 0 otherwise.
  int LoadRule(const char* name, const char* archivePath, CArchiveReader* archive, std::uint32_t duration,
               std::uint32_t mode);
  // Starts the clock; 0 when no rule is loaded.
  int Start();
  // Puts the transition for the current time into dst (the new screen, as
  // drawn so far) from src (the old screen), both screen-sized with rows of
  // the screen width, inside clip (the whole screen when null). src null
  // draws nothing. 0 once the duration is over (nothing drawn), else 1.
  int Step(std::uint16_t* dst, const std::uint16_t* src, const RECT* clip);
  void FreeRule();

  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }
  // The level of screen pixel (x, y); only while a rule is loaded.
  std::uint8_t LevelAt(std::uint32_t x, std::uint32_t y) const { return levels_[y * width_ + x]; }
  bool IsLoaded() const { return levels_ != nullptr; }

 private:
  int BuildLevels(const std::uint8_t* file, std::uint32_t size);

  std::uint32_t width_;
  std::uint32_t height_;
  std::uint8_t* levels_ = nullptr;  // local heap, width x height
  std::uint32_t duration_ = 0;
  std::uint32_t startTime_ = 0;
  std::uint32_t mode_ = kModeHard;
};
