// The command line: each option changes its one setting, values outside the
// dialog's lists are usage errors naming the accepted values, and the help
// shows every option with its default.
#include <gtest/gtest.h>

#include <functional>

#include "converter/cli/command_options.h"

using reelpack::CommandLine;
using reelpack::ConversionSettings;
using reelpack::ParseCommandLine;

namespace {

TEST(CommandOptions, DefaultsAreTheDialogsInitialSelections) {
  const CommandLine line = ParseCommandLine({"clip.mpg"});
  ASSERT_EQ(line.action, CommandLine::Action::Convert);
  EXPECT_EQ(line.input, "clip.mpg");
  EXPECT_EQ(line.outputDir, "");
  EXPECT_FALSE(line.quiet);
  const ConversionSettings& s = line.settings;
  EXPECT_EQ(s.frameRateMode, 0);
  EXPECT_EQ(s.sizeIndex, 0);
  EXPECT_EQ(s.quality, 8);
  EXPECT_EQ(s.maxRateSetting, 45u);
  EXPECT_EQ(s.audioBitRateIndex, 3);
  EXPECT_EQ(s.sampleRateIndex, 0);
  EXPECT_EQ(s.stereo, 1);
  EXPECT_EQ(s.encoder, 0);
  EXPECT_EQ(s.threads, 0);
}

TEST(CommandOptions, EachOptionSetsItsSetting) {
  struct Case {
    std::vector<std::string> args;
    std::function<void(const CommandLine&)> check;
  };
  const std::vector<Case> cases = {
      {{"-o", "out"}, [](const CommandLine& l) { EXPECT_EQ(l.outputDir, "out"); }},
      {{"--output-dir=a b"}, [](const CommandLine& l) { EXPECT_EQ(l.outputDir, "a b"); }},
      {{"--frame-rate", "full"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.frameRateMode, 1); }},
      {{"--frame-rate=minimum"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.frameRateMode, 2); }},
      {{"--size", "640x480"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.sizeIndex, 1); }},
      {{"--quality", "100"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.quality, 0); }},
      {{"--quality", "5"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.quality, 19); }},
      {{"--max-rate", "2.0"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.maxRateSetting, 20u); }},
      {{"--max-rate", "7"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.maxRateSetting, 70u); }},
      {{"--max-rate", "4.3"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.maxRateSetting, 43u); }},
      {{"--audio-bitrate", "16"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.audioBitRateIndex, 0); }},
      {{"--audio-bitrate", "320"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.audioBitRateIndex, 12); }},
      {{"--audio-bitrate", "8", "--mono"},
       [](const CommandLine& l) {
         EXPECT_EQ(l.settings.audioBitRateIndex, 0);
         EXPECT_EQ(l.settings.stereo, 0);
       }},
      {{"--mono", "--audio-bitrate", "160"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.audioBitRateIndex, 12); }},
      {{"--sample-rate", "44100"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.sampleRateIndex, 1); }},
      {{"--encoder", "ogg"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.encoder, 1); }},
      {{"-j", "3"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.threads, 3); }},
      {{"--threads=1"}, [](const CommandLine& l) { EXPECT_EQ(l.settings.threads, 1); }},
      {{"-q"}, [](const CommandLine& l) { EXPECT_TRUE(l.quiet); }},
      {{"--quiet"}, [](const CommandLine& l) { EXPECT_TRUE(l.quiet); }},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("clip.mpg");
    SCOPED_TRACE(args.front());
    const CommandLine line = ParseCommandLine(args);
    ASSERT_EQ(line.action, CommandLine::Action::Convert) << line.error;
    EXPECT_EQ(line.input, "clip.mpg");
    c.check(line);
  }
  // After "--" a name starting with '-' is the input.
  EXPECT_EQ(ParseCommandLine({"--", "-clip.mpg"}).input, "-clip.mpg");
}

TEST(CommandOptions, BadLinesAreUsageErrorsThatSayWhatIsAccepted) {
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const std::vector<Case> cases = {
      {{}, "no input file given"},
      {{"a.mpg", "b.mpg"}, "one input file at a time ('a.mpg' and 'b.mpg')"},
      {{"--bogus", "a.mpg"}, "unknown option '--bogus'"},
      {{"-x", "a.mpg"}, "unknown option '-x'"},
      {{"a.mpg", "--size"}, "--size: needs a value"},
      {{"--size", "320", "a.mpg"}, "--size: '320' is not one of 320x240, 640x480"},
      {{"--frame-rate", "fast", "a.mpg"}, "--frame-rate: 'fast' is not one of standard, full, minimum"},
      {{"--sample-rate", "48000", "a.mpg"}, "--sample-rate: '48000' is not one of 22050, 44100"},
      {{"--encoder", "flac", "a.mpg"}, "--encoder: 'flac' is not one of mp3, ogg"},
      {{"--quality", "83", "a.mpg"},
       "--quality: '83' is not one of 100, 95, 90, 85, 80, 75, 70, 65, 60, 55, 50, 45, 40, 35, 30, 25, 20, 15, 10, 5"},
      {{"--quality", "0", "a.mpg"},
       "--quality: '0' is not one of 100, 95, 90, 85, 80, 75, 70, 65, 60, 55, 50, 45, 40, 35, 30, 25, 20, 15, 10, 5"},
      {{"--max-rate", "1.9", "a.mpg"}, "--max-rate: '1.9' is not a rate from 2.0 to 7.0 Mbit/s in steps of 0.1"},
      {{"--max-rate", "7.1", "a.mpg"}, "--max-rate: '7.1' is not a rate from 2.0 to 7.0 Mbit/s in steps of 0.1"},
      {{"--max-rate", "4.55", "a.mpg"}, "--max-rate: '4.55' is not a rate from 2.0 to 7.0 Mbit/s in steps of 0.1"},
      {{"--max-rate", "-4", "a.mpg"}, "--max-rate: '-4' is not a rate from 2.0 to 7.0 Mbit/s in steps of 0.1"},
      {{"--audio-bitrate", "8", "a.mpg"},
       "--audio-bitrate: '8' is not one of 16, 32, 48, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320 (stereo)"},
      {{"--mono", "--audio-bitrate", "320", "a.mpg"},
       "--audio-bitrate: '320' is not one of 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160 (with --mono)"},
      {{"--audio-bitrate", "x", "a.mpg"}, "--audio-bitrate: 'x' is not a number of kbit/s"},
      {{"-j", "-1", "a.mpg"}, "-j: '-1' is not a number of threads from 0 (all) to 256"},
      {{"--mono=yes", "a.mpg"}, "--mono: takes no value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    const CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.action, CommandLine::Action::Usage);
    EXPECT_EQ(line.error, c.error);
  }
}

TEST(CommandOptions, HelpAndVersionWinOverTheRest) {
  EXPECT_EQ(ParseCommandLine({"-h"}).action, CommandLine::Action::Help);
  EXPECT_EQ(ParseCommandLine({"clip.mpg", "--help"}).action, CommandLine::Action::Help);
  EXPECT_EQ(ParseCommandLine({"--version"}).action, CommandLine::Action::Version);
  const std::string help = reelpack::CommandHelpText();
  for (const char* shown :
       {"-o, --output-dir DIR", "default: the current folder", "--frame-rate", "standard", "full", "minimum",
        "default: standard", "--size", "320x240 or 640x480", "default: 320x240", "--quality", "(default: 60)",
        "--max-rate", "2.0 to 7.0", "(default: 4.5)", "--audio-bitrate", "16, 32, 48, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320",
        "8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160", "(default: 64, or 32 with --mono)", "--sample-rate",
        "22050 or 44100", "(default: 22050)", "--mono", "(default: stereo)", "--encoder", "mp3 or ogg",
        "(default: mp3)", "-j, --threads N", "(default: 0)", "-q, --quiet", "-h, --help", "--version", "Exit status"}) {
    EXPECT_NE(help.find(shown), std::string::npos) << shown;
  }
}

}  // namespace
