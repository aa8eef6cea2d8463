// The engine-shell host with the fake glyph source: every character is a
// solid block cell-height high, full or half as wide, whose top row spells
// the code's low byte (bit 7 first), so expected pixels are worked out by
// hand.
#pragma once

#include "engine/shell/shell_fixture.h"
#include "host/fonts/glyph_backend.h"

class TextTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    HostSetGlyphBackend(MakeFakeGlyphBackend());
  }
  void TearDown() override {
    HostSetGlyphBackend(nullptr);
    ShellTest::TearDown();
  }

  // Whether the fake glyph of code (cell height h) sets pixel (x, y).
  static bool FakeBit(char32_t code, int h, int x, int y) {
    const int width = code >= 0x100 ? h : h / 2;
    if (x < 0 || y < 0 || x >= width || y >= h) return false;
    return y > 0 || x >= 8 || ((code >> (7 - x)) & 1);
  }
};
