// The `reelpack` command: one conversion from the command line, with its
// progress, messages and exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace reelpack {

inline constexpr int kExitConverted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitTrackFailed = 3;

// args: the arguments after the program's name. Help and the files written go
// to out, progress and messages to err; terminal says whether err is one.
// SIGINT and SIGTERM stop the job (status 130 or 143) while it runs.
int RunReelpackCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, bool terminal);

}  // namespace reelpack
