// A message window on a 640 x 480 screen (design 800 x 600) over the fake
// glyph source, placed at the design origin: text starts at (16, 16), the
// glyph box of font 24 is 19 px and a half-width step 9 px.
#pragma once

#include <memory>
#include <string>

#include "engine/shell/back_buffer.h"
#include "engine/shell/config_options.h"
#include "engine/shell/dirty_rect_list.h"
#include "engine/shell/input_state.h"
#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "text_fixture.h"

// "Ａ" (full-width A, U+FF21) in Shift-JIS.
inline constexpr char kWideA[] = "\x82\x60";

class MessageWindowTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    gMessageFont.weightIndex = 4;
    window = std::make_unique<CMessageWindow>();
    window->Setup(0, 0, 800, 600);
    window->SetLineLimits(20, 3);
    dirty.SetSize(640, 480);
    input.Clear();
    options[MESSAGE_SPEED] = 3;
  }
  void TearDown() override {
    window.reset();
    DeleteMessageFont();
    TextTest::TearDown();
  }

  int Layout() { return window->LayoutText(options, input, dirty, 100); }
  // Places all of text at once.
  void Type(const std::string& text) {
    owned = text;
    window->instant = 1;
    window->AppendText(owned.c_str());
    ASSERT_EQ(Layout(), 1);
  }

  // c over p at level l of 64, each channel truncated.
  static std::uint16_t Mix(std::uint16_t c, std::uint16_t p, int l) {
    auto channel = [&](int shift, int mask) {
      return (((c >> shift & mask) * l + (p >> shift & mask) * (64 - l)) / 64) << shift;
    };
    return static_cast<std::uint16_t>(channel(11, 31) | channel(5, 63) | channel(0, 31));
  }

  std::unique_ptr<CMessageWindow> window;
  CDirtyRectList dirty;
  InputState input;
  ConfigOptions options;
  std::string owned;
};
