// What a command-line program needs of its terminal: whether standard error
// is one, the stop signals, and local paths in the Shift-JIS form the
// converter keeps.
#pragma once

#include <string>

// True when standard error is a terminal (a progress line may be redrawn).
bool HostStandardErrorIsTerminal();

// Called from the signal itself when SIGINT (status 130) or SIGTERM (143)
// arrives, so it may only store into lock-free atomics. Null restores the
// default handling.
using HostStopHandler = void (*)(int exitStatus);
void HostSetStopHandler(HostStopHandler handler);

enum class LocalPathProblem {
  None,
  NameOutsideCodePage,    // the last name is not UTF-8, or has characters code page 932 lacks
  FolderOutsideCodePage,  // so has the folder, and no alias could be made
};

struct ShiftJisPath {
  std::string path;  // absolute, '/' separators, Shift-JIS
  LocalPathProblem problem = LocalPathProblem::None;
};

// A path as the user typed it (the locale's bytes, UTF-8), made absolute
// against the current folder with "." and ".." taken out. A folder code page
// 932 cannot hold is reached through its alias (see HostFolderAlias); the
// last name must be held as it is, since outputs are named after it. With
// wholeIsFolder the last name is aliased too.
ShiftJisPath HostShiftJisPathOf(const std::string& localPath, bool wholeIsFolder);
