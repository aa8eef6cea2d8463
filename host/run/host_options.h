// The host's own options for a program run, from the command line
// ("--name=value", removed before the program sees its command line) or the
// environment ("NOVEL_NAME"); the command line wins. README.md lists them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/display/display_api.h"
#include "host/run/input_schedule.h"
#include "host/time/time_api.h"

struct HostOptions {
  enum class Backend { Auto, Sdl, Headless };
  Backend backend = Backend::Auto;
  HostPanel panel;
  bool clockGiven = false;
  HostClockMode clock = HostClockMode::Real;
  std::vector<ScheduledAction> actions;  // input script and screenshots
  long long quitAfterMs = -1;            // -1: no limit
  int scale = 0;                         // 0: chosen from the panel
  bool scopeGiven = false;
  std::string instanceScope;
  std::string audioCapture;  // WAV of everything the manual sound device plays
  std::string frameCosts;    // virtual clock: the real work at each instant
  bool help = false;
};

using EnvironmentLookup = std::function<const char*(const char*)>;

// args: the program's arguments after its name; the host's options are taken
// out. false with a message on a bad value.
bool ParseHostOptions(std::vector<std::string>* args, const EnvironmentLookup& environment,
                      HostOptions* options, std::string* error);
const char* HostOptionsHelp();
