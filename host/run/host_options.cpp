#include "host/run/host_options.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

bool ParseCount(const std::string& text, long long limit, long long* value) {
  if (text.empty() || text.size() > 12 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    return false;
  }
  *value = std::stoll(text);
  return *value <= limit;
}

// Screenshot requests in one value are separated by ';'.
bool AddScreenshots(const std::string& value, HostOptions* options) {
  std::istringstream in(value);
  std::string request;
  while (std::getline(in, request, ';')) {
    if (request.empty()) continue;
    ScheduledAction action;
    if (!ParseScreenshotRequest(request, &action)) return false;
    options->actions.push_back(action);
  }
  return true;
}

bool Apply(const std::string& name, const std::string& value, HostOptions* options, std::string* error) {
  auto fail = [&](const std::string& why) {
    *error = "--" + name + "=" + value + ": " + why;
    return false;
  };
  if (name == "backend") {
    if (value == "auto") options->backend = HostOptions::Backend::Auto;
    else if (value == "sdl") options->backend = HostOptions::Backend::Sdl;
    else if (value == "headless") options->backend = HostOptions::Backend::Headless;
    else return fail("expected auto, sdl or headless");
  } else if (name == "panel") {
    if (!HostParsePanel(value, &options->panel)) return fail("expected WIDTHxHEIGHT[+PADDING]");
  } else if (name == "clock") {
    if (value != "real" && value != "virtual") return fail("expected real or virtual");
    options->clockGiven = true;
    options->clock = value == "real" ? HostClockMode::Real : HostClockMode::Virtual;
  } else if (name == "input") {
    std::string why;
    if (!ParseInputScript(value, &options->actions, &why)) return fail(why);
  } else if (name == "input-file") {
    std::ifstream file(value);
    if (!file) return fail("cannot read the file");
    std::stringstream text;
    text << file.rdbuf();
    std::string why;
    if (!ParseInputScript(text.str(), &options->actions, &why)) return fail(why);
  } else if (name == "screenshot") {
    if (!AddScreenshots(value, options)) return fail("expected MILLISECONDS:PATH");
  } else if (name == "quit-after") {
    if (!ParseCount(value, 0xFFFFFFFFLL, &options->quitAfterMs)) return fail("expected milliseconds");
  } else if (name == "scale") {
    long long scale = 0;
    if (!ParseCount(value, 8, &scale) || scale < 1) return fail("expected 1 to 8");
    options->scale = static_cast<int>(scale);
  } else if (name == "audio-capture") {
    options->audioCapture = value;
  } else if (name == "frame-costs") {
    options->frameCosts = value;
  } else if (name == "instance-scope") {
    options->scopeGiven = true;
    options->instanceScope = value;
  } else {
    return false;
  }
  return true;
}

constexpr const char* kNames[] = {"backend", "panel",      "clock", "input",         "input-file",
                                  "screenshot", "quit-after", "scale", "instance-scope", "audio-capture",
                                  "frame-costs"};

std::string EnvironmentName(const std::string& name) {
  std::string upper = "NOVEL_";
  for (char c : name) upper += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

bool ParseHostOptions(std::vector<std::string>* args, const EnvironmentLookup& environment,
                      HostOptions* options, std::string* error) {
  for (const char* name : kNames) {
    const char* value = environment ? environment(EnvironmentName(name).c_str()) : nullptr;
    if (value && *value && !Apply(name, value, options, error)) {
      if (error->empty()) *error = EnvironmentName(name) + ": unknown option";
      return false;
    }
  }
  std::vector<std::string> rest;
  for (const std::string& arg : *args) {
    if (arg == "--help") {
      options->help = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.rfind("--", 0) == 0 && equals != std::string::npos ? arg.substr(2, equals - 2) : "";
    if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames)) {
      rest.push_back(arg);
      continue;
    }
    if (!Apply(name, arg.substr(equals + 1), options, error)) return false;
  }
  *args = std::move(rest);
  return true;
}

const char* HostOptionsHelp() {
  return "Host options (or environment NOVEL_<NAME>, e.g. NOVEL_BACKEND=headless):\n"
         "  --backend=auto|sdl|headless   window on a desktop, or display memory only\n"
         "                                (auto: a window when DISPLAY or WAYLAND_DISPLAY is set)\n"
         "  --panel=480x640|240x320|640x480[+PAD]  display panel (landscape when wider;\n"
         "                                PAD extra bytes at the end of each row; default:\n"
         "                                240x320 for novel_ce3, 480x640 otherwise)\n"
         "  --clock=real|virtual          virtual: time moves only while the program sleeps\n"
         "                                (default: virtual when headless)\n"
         "  --input=SCRIPT                timed input, e.g. \"500 tap 320 240; 900 press enter\"\n"
         "  --input-file=PATH             the same, read from a file\n"
         "  --screenshot=MS:PATH[;...]    PNG of display memory at that time\n"
         "  --quit-after=MS               close the window at that time (headless default 10000)\n"
         "  --scale=N                     window size factor (default: 640 pixels wide or more)\n"
         "  --instance-scope=NAME         where a second start finds the first\n"
         "                                (default: the user's desktop; none when headless)\n"
         "  --audio-capture=PATH          WAV of all sound played (headless sound device)\n"
         "  --frame-costs=PATH            virtual clock: the real time worked at each virtual\n"
         "                                millisecond, as \"VIRTUAL_MS MICROSECONDS\" lines\n";
}
