// The fast forms of the Layer II requantisation against the portable one:
// every value of every class under every scale factor, and random frames of
// mixed allocations.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <random>
#include <string>

#include "converter/audio/layer2_requantize.h"
#include "converter/audio/layer2_tables.h"

using reelpack::FrameAllocation;
using reelpack::FrameSamples;
using reelpack::RequantizeFrameForm;
namespace layer2 = reelpack::layer2;

namespace {

struct FastForm {
  const char* name;
  RequantizeFrameForm requantize;
  bool needsAvx2;
};

void PrintTo(const FastForm& form, std::ostream* out) { *out << form.name; }

const FastForm kFastForms[] = {
#if defined(__SSE2__)
    {"Avx2", reelpack::RequantizeFrameAvx2, true},
#endif
    {"Selected", reelpack::RequantizeFrame, false},
};

// The largest value a class's codes give: all ones when ungrouped, the
// last of three values of the all-ones grouped code otherwise.
std::uint32_t LargestValue(const layer2::QuantClass& q) {
  const std::uint32_t ones = (1u << q.bits) - 1;
  return q.grouped ? std::max<std::uint32_t>(q.steps - 1, ones / (q.steps * q.steps)) : ones;
}

class RequantizeFormTest : public ::testing::TestWithParam<FastForm> {
 protected:
  void SetUp() override {
#if defined(__SSE2__)
    if (GetParam().needsAvx2 && !ProcessorHasAvx2()) GTEST_SKIP() << "the processor has no AVX2";
#endif
  }

  // Both forms over copies of `frame`.
  void ExpectSameValues(const FrameSamples& frame, const FrameAllocation& alloc, int channels, int sblimit) {
    auto expected = std::make_unique<FrameSamples>(frame);
    auto actual = std::make_unique<FrameSamples>(frame);
    reelpack::RequantizeFramePortable(expected.get(), alloc, channels, sblimit);
    GetParam().requantize(actual.get(), alloc, channels, sblimit);
    for (int ch = 0; ch < channels; ++ch) {
      for (int slot = 0; slot < reelpack::kSlotsPerFrame; ++slot) {
        for (int band = 0; band < sblimit; ++band) {
          ASSERT_EQ(actual->s[ch][slot][band], expected->s[ch][slot][band])
              << "channel " << ch << " slot " << slot << " band " << band << " class "
              << int{alloc.quantClass[ch][band]} << " value " << frame.s[ch][slot][band];
        }
      }
    }
  }
};

TEST_P(RequantizeFormTest, EveryValueOfEveryClassUnderEveryScaleFactor) {
  auto frame = std::make_unique<FrameSamples>();
  for (int quantClass = 1; quantClass <= 17; ++quantClass) {
    const std::uint32_t largest = LargestValue(layer2::kQuantClasses[quantClass]);
    for (int scaleIndex = 0; scaleIndex < 64; ++scaleIndex) {
      SCOPED_TRACE("class " + std::to_string(quantClass) + " scale factor " + std::to_string(scaleIndex));
      FrameAllocation alloc{};
      std::memset(alloc.quantClass, quantClass, sizeof(alloc.quantClass));
      std::memset(alloc.scaleIndex, scaleIndex, sizeof(alloc.scaleIndex));
      // 2 x 36 x 32 values per frame, consecutive, until every value is met.
      for (std::uint32_t first = 0; first <= largest; first += 2 * 36 * 32) {
        std::uint32_t v = first;
        for (auto& channel : frame->s) {
          for (auto& slot : channel) {
            for (std::int32_t& value : slot) value = static_cast<std::int32_t>(std::min(v++, largest));
          }
        }
        ExpectSameValues(*frame, alloc, 2, 32);
        if (HasFatalFailure()) return;
      }
    }
  }
}

struct MixedCase {
  int channels;
  int sblimit;
};

TEST_P(RequantizeFormTest, MixedAllocationsMatchThePortableForm) {
  std::mt19937 random(11);
  auto frame = std::make_unique<FrameSamples>();
  for (const MixedCase c : {MixedCase{2, 30}, MixedCase{2, 27}, MixedCase{2, 12}, MixedCase{2, 8},
                            MixedCase{1, 30}, MixedCase{1, 8}}) {
    SCOPED_TRACE(std::to_string(c.channels) + " channels, sblimit " + std::to_string(c.sblimit));
    for (int round = 0; round < 20; ++round) {
      FrameAllocation alloc{};
      for (int ch = 0; ch < c.channels; ++ch) {
        for (int band = 0; band < c.sblimit; ++band) {
          // A third of the subbands without bits.
          alloc.quantClass[ch][band] = static_cast<std::uint8_t>(random() % 3 == 0 ? 0 : 1 + random() % 17);
          for (auto& index : alloc.scaleIndex[ch][band]) index = static_cast<std::uint8_t>(random() % 64);
        }
      }
      for (int ch = 0; ch < c.channels; ++ch) {
        for (auto& slot : frame->s[ch]) {
          for (int band = 0; band < 32; ++band) {
            const std::uint32_t largest = LargestValue(layer2::kQuantClasses[alloc.quantClass[ch][band]]);
            slot[band] = static_cast<std::int32_t>(random() % (largest + 1));
          }
        }
      }
      ExpectSameValues(*frame, alloc, c.channels, c.sblimit);
      if (HasFatalFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, RequantizeFormTest, ::testing::ValuesIn(kFastForms),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
