// Loading the decoder plug-ins by name from the program's folder.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/runtime/plugin_version.h"
#include "engine/sound/decoder_plugins.h"
#include "host/module/module_api.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

const std::string kProgramFolder = NOVEL_BINARY_DIR "/bin/";

class PluginLoading : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeMp3Plugin();
    FreeOggPlugin();
    HostSetModulePath("");
  }
  void ProgramIn(const ScopedTempDir& dir) { HostSetModulePath(dir.HostPath("novel_ce5").c_str()); }
};

TEST_F(PluginLoading, FoundByNameInTheProgramFolderOnly) {
  // Beside another program (an empty folder) nothing is found, although the
  // plug-ins exist elsewhere.
  ScopedTempDir empty("no_plugins");
  ProgramIn(empty);
  EXPECT_EQ(LoadMp3Plugin(), 1);
  EXPECT_EQ(LoadOggPlugin(), 1);
  EXPECT_FALSE(Mp3PluginReady());
  EXPECT_EQ(gOggPlugin.module, nullptr);

  HostSetModulePath((kProgramFolder + "novel_ce5").c_str());
  EXPECT_EQ(LoadMp3Plugin(), 0);
  EXPECT_EQ(LoadOggPlugin(), 0);
  EXPECT_TRUE(Mp3PluginReady());
  EXPECT_TRUE(OggPluginReady());
  EXPECT_NE(gMp3Plugin.getDecVer, nullptr);
  char version[128];
  GetOggPluginVersion(version, sizeof version);
  EXPECT_EQ(std::string(version).rfind("Tamberwick ", 0), 0u) << version;
}

TEST_F(PluginLoading, ALibraryLackingAnEntryPointCountsAsNotLoaded) {
  // Each name holds the other plug-in, so every expected entry is missing
  // but the library itself loads.
  ScopedTempDir swapped("swapped_plugins");
  swapped.WriteFile("Kestrine.ovl", ReadFileBytes(kProgramFolder + "Tamberwick.ovl"));
  swapped.WriteFile("Tamberwick.ovl", ReadFileBytes(kProgramFolder + "Kestrine.ovl"));
  ProgramIn(swapped);
  EXPECT_EQ(LoadMp3Plugin(), 0);
  EXPECT_EQ(LoadOggPlugin(), 0);
  // The table is cleared: nothing points into the freed library.
  const Mp3PluginTable emptyMp3{};
  const OggPluginTable emptyOgg{};
  EXPECT_EQ(std::memcmp(&gMp3Plugin, &emptyMp3, sizeof emptyMp3), 0);
  EXPECT_EQ(std::memcmp(&gOggPlugin, &emptyOgg, sizeof emptyOgg), 0);
}

}  // namespace
