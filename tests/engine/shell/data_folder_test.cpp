#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "common/sjis_string.h"
#include "engine/shell/engine_base.h"
#include "host/module/module_api.h"
#include "shell_fixture.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

// GAME_INST_FOLDER values as the settings file would give them.
struct FolderSettings : ProcessServicesPort {
  std::map<std::string, std::string> values;
  void ReadProfileString(const char* section, const char* key, const char* def, char* out, std::uint32_t maxLength,
                         const char*) override {
    const auto found = values.find(key);
    const bool use = std::string(section) == "GAME_INST_FOLDER" && found != values.end() &&
                     found->second.size() <= maxLength;
    StrCopy(out, maxLength + 1, use ? found->second.c_str() : def);
  }
};

class DataFolderTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    std::filesystem::create_directories(root_.HostPath("game"));
    HostSetModulePath(root_.HostPath("game/novel_ce5").c_str());
    engine = std::make_unique<CEngineBase>();
    engine->services = &settings;
  }
  void TearDown() override {
    HostSetModulePath("");
    ShellTest::TearDown();
  }
  void Touch(const std::string& relative) { root_.WriteFile(relative, "x"); }

  ScopedTempDir root_{"shell_"};
  FolderSettings settings;
  std::unique_ptr<CEngineBase> engine;
};

TEST_F(DataFolderTest, ResolvesAbsoluteRelativeAndParentFolders) {
  const std::string program = root_.EnginePath("game\\");
  ASSERT_EQ(engine->GetProgramFolder(), program);
  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {"", program},
      {"\\abs\\folder\\", "\\abs\\folder\\"},
      {"D:\\folder\\", "D:\\folder\\"},
      {"data2\\", program + "data2\\"},
      {".\\data2\\", program + "data2\\"},
      {"..\\data3\\", root_.EnginePath("data3\\")},
      {"sub\\..\\data4\\", program + "data4\\"},
      {"..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\x\\", "\\x\\"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.text);
    std::string out;
    EXPECT_EQ(engine->ResolvePath(&out, test.text.c_str(), ""), 1);
    EXPECT_EQ(out, test.expected);
  }
}

TEST_F(DataFolderTest, ProbeDecidesWhetherAFolderIsTaken) {
  Touch("data3/pict_v.mlz");
  std::string out;
  EXPECT_EQ(engine->ResolvePath(&out, "..\\data3\\", "pict_v.mlz"), 1);
  EXPECT_EQ(engine->ResolvePath(&out, "..\\data3\\", "pict.mlz"), 0);
}

TEST_F(DataFolderTest, FirstConfiguredFolderWithTheProbeWins) {
  Touch("data3/pict_v.mlz");
  Touch("game/other/pict_v.mlz");
  settings.values = {{"DATA01", "missing\\"}, {"DATA03", "..\\data3\\"}, {"DATA04", "other\\"}};
  EXPECT_EQ(engine->LocateDataFolder("pelmo.cfg", "pict_v.mlz"), 1);
  const std::string folder = root_.EnginePath("data3\\");
  EXPECT_EQ(engine->dataFolder, folder);
  EXPECT_EQ(engine->pictureArchive, folder + "pict_v.mlz");
  EXPECT_EQ(engine->secondPictureArchive, folder + "pict2_v.mlz");
  EXPECT_EQ(engine->scriptArchive, folder + "script.mlz");
  EXPECT_EQ(engine->voiceArchive, folder + "voice.mlz");
  EXPECT_EQ(engine->soundEffectArchive, folder + "se.mlz");
  EXPECT_EQ(engine->bgmFolder, folder + "bgm\\");
  EXPECT_EQ(engine->saveFolder, folder + "save\\");
  EXPECT_TRUE(std::filesystem::is_directory(root_.HostPath("data3/save")));
}

TEST_F(DataFolderTest, NoUsableFolderTakesDataBesideTheProgramUnprobed) {
  settings.values = {{"DATA02", "nowhere\\"}};
  SetScreenWidth(320);
  EXPECT_EQ(engine->LocateDataFolder("pelmo.cfg", "pict.mlz"), 0);
  const std::string folder = root_.EnginePath("game\\data\\");
  EXPECT_EQ(engine->dataFolder, folder);
  EXPECT_EQ(engine->pictureArchive, folder + "pict.mlz");
  EXPECT_EQ(engine->secondPictureArchive, folder + "pict2.mlz");
  // The data folder itself is missing, so its save folder cannot be made;
  // that shows only later, when a save fails.
  EXPECT_FALSE(std::filesystem::exists(root_.HostPath("game/data/save")));
}

TEST_F(DataFolderTest, SettingsFileNamesTheFolder) {
  Touch("data3/pict_v.mlz");
  root_.WriteFile("game/pelmo.cfg", "[GAME_INST_FOLDER]\r\nDATA01=nowhere\\\r\nDATA03=..\\data3\\\r\n");
  engine->services = &StandInProcessServices();
  engine->services->ClearProfileCache();
  EXPECT_EQ(engine->LocateDataFolder("pelmo.cfg", "pict_v.mlz"), 1);
  EXPECT_EQ(engine->dataFolder, root_.EnginePath("data3\\"));
  engine->services->ClearProfileCache();
}

}  // namespace
