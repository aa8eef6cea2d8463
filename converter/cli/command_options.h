// The command line of `reelpack`: options with the dialog's defaults and
// lists, and the help text.
#pragma once

#include <string>
#include <vector>

#include "converter/job/conversion_settings.h"

namespace reelpack {

struct CommandLine {
  enum class Action { Convert, Help, Version, Usage };
  Action action = Action::Convert;
  ConversionSettings settings;
  std::string input;      // as typed
  std::string outputDir;  // as typed; empty for the current folder
  bool quiet = false;
  std::string error;      // why the line is a usage error
};

// args holds the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string CommandHelpText();
std::string CommandVersionText();

}  // namespace reelpack
