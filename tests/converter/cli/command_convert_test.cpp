// The command end to end in-process: its files equal a job's with the same
// settings, the engine's decoder reads them, folders of any name work, and
// every bad case gives its message and status and leaves earlier outputs
// alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "common/rzm2_format.h"
#include "converter/cli/command_run.h"
#include "converter/job/conversion_settings.h"
#include "host/run/call_log.h"
#include "tests/converter/job/job_test_support.h"
#include "tests/support/file_bytes.h"

using reelpack::ConversionSettings;
using reelpack::RunReelpackCommand;

namespace job_test {
namespace {

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadBack(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
  std::fclose(file);
  return text;
}

CommandResult RunCommand(const std::vector<std::string>& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  CommandResult result;
  result.status = RunReelpackCommand(args, out, err, false);
  result.out = ReadBack(out);
  result.err = ReadBack(err);
  return result;
}

class CommandConvert : public JobTest {
 protected:
  std::vector<std::string> NamesIn(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.HostPath(folder))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(CommandConvert, EachOptionGivesTheFilesOfAJobWithThatSetting) {
  const std::string input = SoundStream("clip.mpg", 1.0);
  ASSERT_FALSE(input.empty());
  struct Case {
    std::vector<std::string> options;
    std::function<void(ConversionSettings&)> setting;
    const char* track;
  };
  const std::vector<Case> cases = {
      {{}, [](ConversionSettings&) {}, "clip.mp3"},
      {{"--frame-rate", "full"}, [](ConversionSettings& s) { s.frameRateMode = 1; }, "clip.mp3"},
      {{"--frame-rate", "minimum"}, [](ConversionSettings& s) { s.frameRateMode = 2; }, "clip.mp3"},
      {{"--size", "640x480"}, [](ConversionSettings& s) { s.sizeIndex = 1; }, "clip.mp3"},
      {{"--quality", "40"}, [](ConversionSettings& s) { s.quality = 12; }, "clip.mp3"},
      {{"--max-rate", "2.0"}, [](ConversionSettings& s) { s.maxRateSetting = 20; }, "clip.mp3"},
      {{"--audio-bitrate", "128"}, [](ConversionSettings& s) { s.audioBitRateIndex = 7; }, "clip.mp3"},
      {{"--sample-rate", "44100"}, [](ConversionSettings& s) { s.sampleRateIndex = 1; }, "clip.mp3"},
      {{"--mono"}, [](ConversionSettings& s) { s.stereo = 0; }, "clip.mp3"},
      {{"--encoder", "ogg"}, [](ConversionSettings& s) { s.encoder = 1; }, "clip.ogg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.empty() ? "defaults" : c.options.front() + " " + c.options.back());
    std::filesystem::remove_all(dir_.HostPath("cli"));
    std::filesystem::remove_all(dir_.HostPath("job"));
    std::filesystem::create_directories(dir_.HostPath("cli"));
    std::filesystem::create_directories(dir_.HostPath("job"));
    std::vector<std::string> args = c.options;
    for (const std::string& more : {std::string("-q"), std::string("-j"), std::string("1"), std::string("-o"),
                                    dir_.HostPath("cli"), input}) {
      args.push_back(more);
    }
    const CommandResult command = RunCommand(args);
    ASSERT_EQ(command.status, 0) << command.err;
    EXPECT_EQ(command.out, "");  // quiet

    ConversionSettings settings;
    settings.threads = 1;
    c.setting(settings);
    reelpack::CMpegFileConv job(settings.audioBitRateIndex, settings.sampleRateIndex, settings.stereo);
    ASSERT_TRUE(reelpack::ApplyConversionSettings(settings, input, dir_.HostPath("job"), job));
    job.Run();
    ASSERT_EQ(job.m_video.status, reelpack::VideoPassStatus::Written) << job.m_video.text;

    EXPECT_EQ(NamesIn("cli"), (std::vector<std::string>{c.track, "clip.rzm2"}));
    EXPECT_EQ(NamesIn("cli"), NamesIn("job"));
    EXPECT_TRUE(ReadFileBytes(dir_.HostPath("cli/clip.rzm2")) == ReadFileBytes(dir_.HostPath("job/clip.rzm2")));
    // An Ogg stream carries a random serial number: the MP3 tracks are compared.
    if (std::string(c.track) == "clip.mp3") {
      EXPECT_TRUE(ReadFileBytes(dir_.HostPath("cli/clip.mp3")) == ReadFileBytes(dir_.HostPath("job/clip.mp3")));
    }
  }
}

TEST_F(CommandConvert, TheEngineDecodesEveryFrameOfTheCommandsMovie) {
  const std::string input = FixturePath("ntsc320");
  ASSERT_FALSE(input.empty());
  const CommandResult command = RunCommand({"-o", Out(""), input});
  ASSERT_EQ(command.status, 0) << command.err;
  const std::vector<std::uint8_t> movie = OutBytes("ntsc320.rzm2");
  EXPECT_EQ(command.out, Out("") + "ntsc320.rzm2  " + std::to_string(movie.size()) + " bytes\n" + Out("") +
                             "ntsc320.mp3  " + std::to_string(std::filesystem::file_size(Out("ntsc320.mp3"))) +
                             " bytes\n");
  const Rzm2Header header = ReadRzm2Header(movie.data());
  EXPECT_EQ(header.frameCount, 30u);  // 2 s at 29.97 fps, every second frame kept
  ASSERT_TRUE(ValidateRzm2Index(movie.data(), Rzm2IndexBlockBytes(header.frameCount), movie.size()));
  for (std::uint32_t i = 0; i < header.frameCount; ++i) {
    EXPECT_EQ(DecodeRecord(MovieRecord(movie, i)).width, header.storedWidth) << i;
  }
}

TEST_F(CommandConvert, FoldersOfAnyNameWork) {
  const std::string stream = SoundStream("clip.mpg", 0.5);
  ASSERT_FALSE(stream.empty());
  for (const char* folder : {"jos\xC3\xA9", "clips \xF0\x9F\x8E\xAC", "\xE5\x8B\x95\xE7\x94\xBB"}) {
    SCOPED_TRACE(folder);
    const std::string in = std::string(folder) + "/in";
    const std::string out = std::string(folder) + "/out";
    std::filesystem::create_directories(dir_.HostPath(in));
    std::filesystem::create_directories(dir_.HostPath(out));
    std::filesystem::copy_file(stream, dir_.HostPath(in + "/clip.mpg"));
    const CommandResult command = RunCommand({"-q", "-o", dir_.HostPath(out), dir_.HostPath(in + "/clip.mpg")});
    EXPECT_EQ(command.status, 0) << command.err;
    EXPECT_EQ(NamesIn(out), (std::vector<std::string>{"clip.mp3", "clip.rzm2"}));
  }
}

TEST_F(CommandConvert, EveryFailureSaysWhyAndLeavesEarlierOutputsAlone) {
  const std::string stream = SoundStream("clip.mpg", 0.5);
  ASSERT_FALSE(stream.empty());
  const std::string mpeg2Video = MakeStream(dir_.HostPath("m2v.mpg"), "testsrc2=size=320x240:rate=25", "",
                                            "-t 0.5 -c:v mpeg2video -f mpeg");
  const std::string mpeg2Program = MakeStream(dir_.HostPath("m2ps.mpg"), "testsrc2=size=320x240:rate=25", "",
                                              "-t 0.5 -c:v mpeg2video -f vob");
  ASSERT_FALSE(mpeg2Video.empty());
  ASSERT_FALSE(mpeg2Program.empty());
  dir_.WriteFile("empty.mpg", "");
  dir_.WriteFile("picture.mpg", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) + std::string(200, '\0'));
  std::filesystem::create_directories(dir_.HostPath("folder.mpg"));
  dir_.WriteFile("plain", "not a folder");
  const std::string emojiName = dir_.HostPath("clip\xF0\x9F\x8E\xAC.mpg");
  std::filesystem::copy_file(stream, emojiName);
  std::string longPath = dir_.HostPath("");
  while (longPath.size() < 1100) longPath += "/abcdefghij";
  longPath += "/clip.mpg";

  struct Case {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string message;
    std::function<void()> before;
  };
  const std::string out = Out("");
  const std::vector<Case> cases = {
      {"missing input", {"-o", out, dir_.HostPath("missing.mpg")}, 1,
       "reelpack: " + dir_.HostPath("missing.mpg") + ": the input is missing, empty or cannot be read\n", {}},
      {"a folder", {"-o", out, dir_.HostPath("folder.mpg")}, 1,
       "reelpack: " + dir_.HostPath("folder.mpg") + ": the input is missing, empty or cannot be read\n", {}},
      {"an empty file", {"-o", out, dir_.HostPath("empty.mpg")}, 1,
       "reelpack: " + dir_.HostPath("empty.mpg") + ": the input is missing, empty or cannot be read\n", {}},
      {"a PNG picture", {"-o", out, dir_.HostPath("picture.mpg")}, 1,
       "reelpack: " + dir_.HostPath("picture.mpg") + ": no MPEG-1 system stream with video in the input\n", {}},
      {"MPEG-2 video", {"-o", out, mpeg2Video}, 1,
       "reelpack: " + mpeg2Video + ": the video is MPEG-2; only MPEG-1 video can be converted\n", {}},
      {"an MPEG-2 program stream", {"-o", out, mpeg2Program}, 1,
       "reelpack: " + mpeg2Program +
           ": the input is an MPEG-2 program stream; only MPEG-1 system streams can be converted\n", {}},
      {"a missing output folder", {"-o", dir_.HostPath("nowhere"), stream}, 1,
       "reelpack: " + dir_.HostPath("nowhere") + ": the output folder does not exist or is not a folder\n", {}},
      {"a file as output folder", {"-o", dir_.HostPath("plain"), stream}, 1,
       "reelpack: " + dir_.HostPath("plain") + ": the output folder does not exist or is not a folder\n", {}},
      {"a name outside code page 932", {"-o", out, emojiName}, 1,
       "reelpack: " + emojiName +
           ": the file name has characters Shift-JIS (code page 932) cannot hold; the outputs take its name and the "
           "engine names movies in Shift-JIS: rename the file\n", {}},
      {"a path too long", {"-o", out, longPath}, 1,
       "reelpack: " + longPath + ": the path is longer than the 1,023 bytes a conversion can hold\n", {}},
      {"an unwritable output folder", {"-o", out, stream}, 1,
       "reelpack: " + out + ": no file can be written in the output folder\n", [] { HostFailCall("CreateFileA"); }},
      {"a full medium", {"-o", out, stream}, 1,
       "reelpack: " + stream + ": the movie could not be written: " + out + "clip.rzm2\n",
       [] { HostFailWritesAfter(20000); }},
      {"a bad option", {"--size", "1", stream}, 2,
       "reelpack: --size: '1' is not one of 320x240, 640x480\nTry 'reelpack --help' for the options.\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const std::string& name : OutNames()) std::filesystem::remove(Out(name));
    for (const char* name : {"clip.rzm2", "clip.mp3", "m2v.rzm2", "missing.rzm2", "picture.rzm2"}) {
      dir_.WriteFile(std::string("out/") + name, std::string("earlier ") + name);
    }
    const std::vector<std::string> before = OutNames();
    if (c.before) c.before();
    const CommandResult command = RunCommand(c.args);
    HostClearFailures();
    EXPECT_EQ(command.status, c.status);
    // Phase lines may come first when the job runs long enough.
    const std::size_t lastLine = command.err.rfind('\n', command.err.size() - 2);
    const std::string tail = lastLine == std::string::npos ? command.err : command.err.substr(lastLine + 1);
    EXPECT_EQ(c.status == 2 ? command.err : tail, c.message);
    EXPECT_EQ(command.out, "");
    EXPECT_EQ(OutNames(), before);
    for (const char* name : {"clip.rzm2", "clip.mp3", "m2v.rzm2", "missing.rzm2", "picture.rzm2"}) {
      EXPECT_EQ(dir_.ReadFile(std::string("out/") + name), std::string("earlier ") + name);
    }
  }
}

}  // namespace
}  // namespace job_test
