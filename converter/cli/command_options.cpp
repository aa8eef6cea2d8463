#include "converter/cli/command_options.h"

#include <cstdint>
#include <optional>

#include "converter/audio/audio_export_settings.h"

namespace reelpack {
namespace {

// One accepted value of a list option and the setting it stands for.
struct Choice {
  const char* text;
  std::int32_t value;
};

constexpr Choice kFrameRates[] = {{"standard", 0}, {"full", 1}, {"minimum", 2}};
constexpr Choice kSizes[] = {{"320x240", 0}, {"640x480", 1}};
constexpr Choice kSampleRates[] = {{"22050", 0}, {"44100", 1}};
constexpr Choice kEncoders[] = {{"mp3", 0}, {"ogg", 1}};

template <std::size_t N>
std::string Listed(const Choice (&choices)[N]) {
  std::string text;
  for (const Choice& choice : choices) text += (text.empty() ? "" : ", ") + std::string(choice.text);
  return text;
}

template <std::size_t N>
std::optional<std::int32_t> Chosen(const Choice (&choices)[N], const std::string& value) {
  for (const Choice& choice : choices) {
    if (value == choice.text) return choice.value;
  }
  return std::nullopt;
}

// A plain decimal number without sign or spaces.
std::optional<std::uint32_t> Decimal(const std::string& text, std::uint32_t limit) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value > limit) return std::nullopt;
  return value;
}

std::string QualityList() {
  std::string text;
  for (int percent = 100; percent >= 5; percent -= 5) text += (text.empty() ? "" : ", ") + std::to_string(percent);
  return text;
}

std::string BitRateList(bool stereo) {
  std::string text;
  for (std::int32_t index = 0; index < kAudioBitRateItems; ++index) {
    text += (text.empty() ? "" : ", ") + std::to_string(Mp3BitRateKbps(index, stereo));
  }
  return text;
}

// "4.5" (or "4") in tenths of Mbit/s, 20 to 70.
std::optional<std::uint32_t> MaxRate(const std::string& text) {
  const std::size_t point = text.find('.');
  std::optional<std::uint32_t> whole = Decimal(text.substr(0, point), 7);
  std::optional<std::uint32_t> tenth = 0;
  if (point != std::string::npos) tenth = text.size() == point + 2 ? Decimal(text.substr(point + 1), 9) : std::nullopt;
  if (!whole || !tenth) return std::nullopt;
  const std::uint32_t setting = *whole * 10 + *tenth;
  if (setting < 20 || setting > 70) return std::nullopt;
  return setting;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  CommandLine Parse() {
    std::optional<std::uint32_t> audioKbps;
    bool inputsDone = false;
    for (next_ = 0; next_ < args_.size() && line_.action == CommandLine::Action::Convert;) {
      const std::string arg = args_[next_++];
      if (inputsDone || arg.empty() || arg[0] != '-' || arg == "-") {
        TakeInput(arg);
        continue;
      }
      if (arg == "--") {
        inputsDone = true;
        continue;
      }
      const std::size_t equals = arg.find('=');
      name_ = arg.substr(0, equals);
      inlineValue_ = equals == std::string::npos ? std::nullopt : std::optional(arg.substr(equals + 1));
      if (name_ == "-h" || name_ == "--help") {
        line_.action = CommandLine::Action::Help;
      } else if (name_ == "--version") {
        line_.action = CommandLine::Action::Version;
      } else if (name_ == "-q" || name_ == "--quiet") {
        line_.quiet = true;
      } else if (name_ == "--mono") {
        line_.settings.stereo = 0;
      } else if (name_ == "-o" || name_ == "--output-dir") {
        if (auto value = Value()) line_.outputDir = *value;
      } else if (name_ == "--frame-rate") {
        ListValue(kFrameRates, &line_.settings.frameRateMode);
      } else if (name_ == "--size") {
        ListValue(kSizes, &line_.settings.sizeIndex);
      } else if (name_ == "--sample-rate") {
        ListValue(kSampleRates, &line_.settings.sampleRateIndex);
      } else if (name_ == "--encoder") {
        ListValue(kEncoders, &line_.settings.encoder);
      } else if (name_ == "--quality") {
        if (auto value = Value()) {
          const std::optional<std::uint32_t> percent = Decimal(*value, 100);
          if (!percent || *percent < 5 || *percent % 5 != 0) {
            Refuse("'" + *value + "' is not one of " + QualityList());
          } else {
            line_.settings.quality = static_cast<std::int32_t>((100 - *percent) / 5);
          }
        }
      } else if (name_ == "--max-rate") {
        if (auto value = Value()) {
          const std::optional<std::uint32_t> setting = MaxRate(*value);
          if (!setting) {
            Refuse("'" + *value + "' is not a rate from 2.0 to 7.0 Mbit/s in steps of 0.1");
          } else {
            line_.settings.maxRateSetting = *setting;
          }
        }
      } else if (name_ == "--audio-bitrate") {
        if (auto value = Value()) {
          audioKbps = Decimal(*value, 1000);
          if (!audioKbps) Refuse("'" + *value + "' is not a number of kbit/s");
          audioText_ = *value;
        }
      } else if (name_ == "-j" || name_ == "--threads") {
        if (auto value = Value()) {
          const std::optional<std::uint32_t> threads = Decimal(*value, 256);
          if (!threads) {
            Refuse("'" + *value + "' is not a number of threads from 0 (all) to 256");
          } else {
            line_.settings.threads = static_cast<std::int32_t>(*threads);
          }
        }
      } else {
        line_.action = CommandLine::Action::Usage;
        line_.error = "unknown option '" + arg + "'";
      }
      if (line_.action == CommandLine::Action::Convert && inlineValue_ && !valueTaken_) {
        Refuse("takes no value");
      }
      valueTaken_ = false;
    }
    if (line_.action != CommandLine::Action::Convert) return line_;
    if (audioKbps) ResolveAudioBitRate(*audioKbps);
    if (line_.action == CommandLine::Action::Convert && line_.input.empty()) {
      line_.action = CommandLine::Action::Usage;
      line_.error = "no input file given";
    }
    return line_;
  }

 private:
  void Refuse(const std::string& why) {
    line_.action = CommandLine::Action::Usage;
    line_.error = name_ + ": " + why;
  }

  std::optional<std::string> Value() {
    valueTaken_ = true;
    if (inlineValue_) return inlineValue_;
    if (next_ >= args_.size()) {
      Refuse("needs a value");
      return std::nullopt;
    }
    return args_[next_++];
  }

  template <std::size_t N>
  void ListValue(const Choice (&choices)[N], std::int32_t* setting) {
    const std::optional<std::string> value = Value();
    if (!value) return;
    const std::optional<std::int32_t> chosen = Chosen(choices, *value);
    if (!chosen) return Refuse("'" + *value + "' is not one of " + Listed(choices));
    *setting = *chosen;
  }

  void TakeInput(const std::string& arg) {
    if (!line_.input.empty()) {
      line_.action = CommandLine::Action::Usage;
      line_.error = "one input file at a time ('" + line_.input + "' and '" + arg + "')";
      return;
    }
    line_.input = arg;
  }

  // The list item of that rate for the channels chosen.
  void ResolveAudioBitRate(std::uint32_t kbps) {
    const bool stereo = line_.settings.stereo != 0;
    for (std::int32_t index = 0; index < kAudioBitRateItems; ++index) {
      if (Mp3BitRateKbps(index, stereo) == kbps) {
        line_.settings.audioBitRateIndex = index;
        return;
      }
    }
    name_ = "--audio-bitrate";
    Refuse("'" + audioText_ + "' is not one of " + BitRateList(stereo) + (stereo ? " (stereo)" : " (with --mono)"));
  }

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  CommandLine line_;
  std::string name_;
  std::optional<std::string> inlineValue_;
  bool valueTaken_ = false;
  std::string audioText_;
};

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) { return Parser(args).Parse(); }

std::string CommandHelpText() {
  return "Usage: reelpack [OPTIONS] INPUT\n"
         "Converts an MPEG-1 system stream (.mpg, .mpeg, .mp2, .dat, .dah) into a movie INPUT.rzm2\n"
         "and its sound track INPUT.mp3 or INPUT.ogg, replacing files of those names.\n"
         "\n"
         "Options:\n"
         "  -o, --output-dir DIR     folder for the outputs (default: the current folder)\n"
         "      --frame-rate MODE    standard (at most about 15 fps), full (the source's rate),\n"
         "                           minimum (at most about 10 fps) (default: standard)\n"
         "      --size WxH           320x240 or 640x480 (default: 320x240)\n"
         "      --quality PERCENT    base picture quality: " + QualityList() + "\n"
         "                           (default: 60)\n"
         "      --max-rate MBIT      maximum video bit rate, 2.0 to 7.0 Mbit/s in steps of 0.1\n"
         "                           (default: 4.5)\n"
         "      --audio-bitrate KBIT sound bit rate: " + BitRateList(true) + "\n"
         "                           with --mono: " + BitRateList(false) + "\n"
         "                           (default: 64, or 32 with --mono)\n"
         "      --sample-rate HZ     22050 or 44100 (default: 22050)\n"
         "      --mono               one sound channel (default: stereo)\n"
         "      --encoder KIND       mp3 or ogg (default: mp3)\n"
         "  -j, --threads N          coding threads, 0 for all hardware threads (default: 0)\n"
         "  -q, --quiet              no progress and no list of the files written\n"
         "  -h, --help               this text\n"
         "      --version            the program's version\n"
         "\n"
         "Exit status: 0 the movie is written (with its sound track, or the source has no sound);\n"
         "1 the conversion failed and nothing was written; 2 a usage error; 3 the movie is written\n"
         "but its sound track failed; 130 or 143 stopped by SIGINT or SIGTERM (nothing written).\n";
}

std::string CommandVersionText() { return "reelpack ver1.03 (Linux)\n"; }

}  // namespace reelpack
