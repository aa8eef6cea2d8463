// Damaged ".rbp" files: every one must fail to load, leave the picture empty
// and read nothing outside the file (the sanitizer build checks the reads:
// files from a folder arrive in blocks of exactly their size).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "engine/pictures/picture_object.h"
#include "engine/pictures/rbp_format.h"
#include "picture_fixtures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& file, std::size_t offset, std::uint32_t value) { WriteLe32(file.data() + offset, value); }

std::uint32_t Get32(const Bytes& file, std::size_t offset) { return ReadLe32(file.data() + offset); }

struct Damage {
  const char* what;
  std::function<void(Bytes&)> apply;
};

Bytes Truncated(Bytes file, std::size_t bytes) {
  file.resize(file.size() - bytes);
  return file;
}

const std::vector<Damage>& CommonDamage() {
  static const std::vector<Damage> damage = {
      {"cut by one byte", [](Bytes& f) { f = Truncated(f, 1); }},
      {"cut inside the header", [](Bytes& f) { f.resize(20); }},
      {"width doubled", [](Bytes& f) { Put32(f, 8, 2 * Get32(f, 8)); }},
      {"height one more", [](Bytes& f) { Put32(f, 12, Get32(f, 12) + 1); }},
      {"absurd width", [](Bytes& f) { Put32(f, 8, 0x7FFFFFFF); }},
      {"product wraps 32 bits", [](Bytes& f) { Put32(f, 8, 65536); Put32(f, 12, 65536); }},
      {"zero height", [](Bytes& f) { Put32(f, 12, 0); }},
      {"data offset past the end", [](Bytes& f) { Put32(f, 16, 0xFFFFFFF0u); }},
  };
  return damage;
}

class RbpCorrupt : public PictureTest {
 protected:
  void ExpectEveryDamageFails(const char* kind, const Bytes& good, const std::vector<Damage>& damage) {
    dir_.WriteFile("good.rbp", good);
    CImage control;
    ASSERT_EQ(control.LoadRbp("good", dir_.EnginePath("").c_str(), 0, nullptr, nullptr, nullptr), 1) << kind;
    for (const Damage& d : damage) {
      Bytes file = good;
      d.apply(file);
      dir_.WriteFile("bad.rbp", file);
      CImage image;
      EXPECT_EQ(image.LoadRbp("bad", dir_.EnginePath("").c_str(), 0, nullptr, nullptr, nullptr), 0)
          << kind << ": " << d.what;
      EXPECT_EQ(image.pixels, nullptr) << kind << ": " << d.what;
      EXPECT_EQ(image.alphaPlane, nullptr) << kind << ": " << d.what;
      EXPECT_EQ(image.pixelKind, kPixelKindEmpty) << kind << ": " << d.what;
    }
  }
};

TEST_F(RbpCorrupt, UncompressedKinds) {
  const SourcePicture picture = MakeGradientPicture(9, 5);
  for (const std::uint32_t kind : {kRbpKindRgb565Alpha, kRbpKindRgb565, kRbpKindGrey, kRbpKindPalette}) {
    std::vector<Damage> damage = CommonDamage();
    if (kind == kRbpKindPalette) damage.erase(damage.end() - 1);  // the data offset is not used
    ExpectEveryDamageFails(std::to_string(kind).c_str(), BuildRbpFile(picture, {kind, 0, 0}), damage);
  }
}

TEST_F(RbpCorrupt, JbpKinds) {
  const int width = 36, height = 20;
  const Bytes record = MakeJbpRecord(width, height, 11);
  Bytes alpha(width * height);
  for (std::size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<std::uint8_t>(i * 7);

  std::vector<Damage> damage = CommonDamage();
  damage.push_back({"header narrower than the record", [](Bytes& f) { Put32(f, 8, 20); }});
  damage.push_back({"header shorter than the record", [](Bytes& f) { Put32(f, 12, 4); }});
  damage.push_back({"header taller than the record", [](Bytes& f) { Put32(f, 12, 64); }});
  damage.push_back({"record length past the end", [](Bytes& f) { Put32(f, 28, static_cast<std::uint32_t>(f.size())); }});
  damage.push_back({"record length cut", [&](Bytes& f) { Put32(f, 28, static_cast<std::uint32_t>(record.size() / 2)); }});
  damage.push_back({"record length absurd", [](Bytes& f) { Put32(f, 28, 0xFFFFFFF0u); }});
  ExpectEveryDamageFails("30", BuildJbpRbpFile(record, width, height, nullptr, 0, 0), damage);

  damage.push_back({"alpha length past the end", [](Bytes& f) { Put32(f, 32, Get32(f, 32) + 1); }});
  damage.push_back({"alpha length absurd", [](Bytes& f) { Put32(f, 32, 0xFFFFFFF0u); }});
  damage.push_back({"alpha stream cut short", [](Bytes& f) {
                      const std::uint32_t packed = Get32(f, 32);
                      Put32(f, 32, packed / 2);
                      f.resize(f.size() - (packed - packed / 2));
                    }});
  ExpectEveryDamageFails("32", BuildJbpRbpFile(record, width, height, alpha.data(), 0, 0), damage);
}

}  // namespace
