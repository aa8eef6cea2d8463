// Parts on a settable screen (640 x 480 unless a test says otherwise, the
// design space 800 x 600) and a fake engine clock that moves only when the
// test sets it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <ostream>

#include "engine/runtime/engine_clock.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/sprites/sprite_part.h"
#include "host/run/call_log.h"

using Box = std::array<LONG, 4>;

inline Box BoxOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

class SpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDesignWidth(800);
    SetDesignHeight(600);
    UseScreen(640, 480);
    SetClockSource(&FakeClock);
    SetNow(0);
  }
  void TearDown() override {
    FreezeClock(0);
    SetClockSource(nullptr);
    HostClearFailures();
  }

  static void UseScreen(std::int32_t width, std::int32_t height) {
    SetScreenWidth(width);
    SetScreenHeight(height);
  }
  // The engine clock reads ms from now on.
  static void SetNow(std::uint32_t ms) {
    now_ = ms;
    GetClockMs();
  }
  // A part of picture slot 0: source (sx, sy, w, h) placed at (x, y), design px.
  static std::unique_ptr<CSpritePart> MakePart(std::int32_t sx, std::int32_t sy, std::int32_t w, std::int32_t h,
                                               std::int32_t x, std::int32_t y) {
    auto part = std::make_unique<CSpritePart>();
    part->ResetPlacement();
    part->InitImageRect(0, sx, sy, w, h);
    part->SetPosition(x, y);
    return part;
  }
  static Box Bounds(const CSpritePart& part) {
    RECT r;
    part.ComputeBounds(&r, false);
    return BoxOf(r);
  }

 private:
  static std::uint32_t FakeClock() { return now_; }
  static inline std::uint32_t now_ = 0;
};
