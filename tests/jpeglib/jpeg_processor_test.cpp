// Processor classes from injected CPU records, and the registry override.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "jpeglib/jpeg_processor.h"
#include "jpeglib/jpeg_working_state.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

TEST(ProcessorClass, FromFamilyAndFeatures) {
  struct Case {
    std::uint32_t family;
    std::uint32_t features;
    int expected;
  };
  const std::uint32_t mmx = kCpuFeatureMmx, sse = kCpuFeatureSse, sse2 = kCpuFeatureSse2;
  const Case cases[] = {
      {5, mmx, 3},  {5, 0, 1},         {6, 0, 2},          {6, mmx, 4}, {6, mmx | sse, 5}, {6, mmx | sse | sse2, 5},
      {15, mmx | sse | sse2, 6}, {15, mmx | sse, 0}, {4, mmx, 0}, {0, 0, 0}, {7, mmx | sse | sse2, 0},
  };
  for (const Case& c : cases) {
    JPEG_CPU_INFO info{};
    info.family = c.family;
    info.featureFlags = c.features;
    EXPECT_EQ(jpegClassFromCpuInfo(info), c.expected) << "family " << c.family << " features " << c.features;
  }
}

TEST(ProcessorClass, IdentificationFillsTheVendor) {
  JPEG_CPU_INFO info{};
  identifyProcessor(info);
#if defined(__x86_64__)
  EXPECT_NE(info.vendor[0], '\0');
  EXPECT_EQ(info.vendor[12], '\0');
  EXPECT_LE(info.family, 15u);
  EXPECT_NE(info.featureFlags & kCpuFeatureSse2, 0u);  // every x86-64 has SSE2
#endif
}

class RegistryOverride : public ::testing::Test {
 protected:
  ScopedTempDir scratch{"jpeglib_registry_"};
  const std::string store = scratch.HostPath("registry.reg");
  void SetUp() override { setenv("NOVEL_REGISTRY_FILE", store.c_str(), 1); }
  void TearDown() override { unsetenv("NOVEL_REGISTRY_FILE"); }
  void WriteStore(const std::string& value) {
    scratch.WriteFile("registry.reg", "[HKEY_LOCAL_MACHINE\\Software\\Reelpack\\JpegCodec]\n" + value + "\n");
  }
  static int ClassAfterInit() {
    JPEG_PROPERTIES props{};
    EXPECT_EQ(jpegInit(&props), JPEG_SUCCESS);
    const int processorClass = props.work->processorClass;
    jpegFree(&props);
    return processorClass;
  }
  static int ClassOfThisProcessor() {
    JPEG_CPU_INFO info{};
    identifyProcessor(info);
    return jpegClassFromCpuInfo(info);
  }
};

TEST_F(RegistryOverride, ValuesZeroToSixWin) {
  for (int value = 0; value <= 6; ++value) {
    WriteStore("\"USECPU\"=dword:0000000" + std::to_string(value));
    EXPECT_EQ(ClassAfterInit(), value);
  }
}

TEST_F(RegistryOverride, OtherValuesAndMissingStoreFallBackToTheProcessor) {
  const int own = ClassOfThisProcessor();
  WriteStore("\"USECPU\"=dword:00000007");
  EXPECT_EQ(ClassAfterInit(), own);
  WriteStore("\"USECPU\"=dword:ffffffff");
  EXPECT_EQ(ClassAfterInit(), own);
  WriteStore("\"USECPU\"=\"3\"");  // not a 4-byte value
  EXPECT_EQ(ClassAfterInit(), own);
  WriteStore("\"OTHER\"=dword:00000003");
  EXPECT_EQ(ClassAfterInit(), own);
  std::filesystem::remove(store);
  EXPECT_EQ(ClassAfterInit(), own);
}

TEST_F(RegistryOverride, PlainAndSimdTablesUseTheirOwnWriters) {
  WriteStore("\"USECPU\"=dword:00000000");
  JPEG_PROPERTIES props{};
  ASSERT_EQ(jpegInit(&props), JPEG_SUCCESS);
  EXPECT_EQ(props.work->table.openOutput, &outputBegin);
  jpegFillProcessorTable(props.work->table, kJpegClassSse2);
  EXPECT_EQ(props.work->table.openOutput, &outputBeginWide);
  EXPECT_NE(props.work->table.endSimd, nullptr);
  jpegFree(&props);
}

}  // namespace
