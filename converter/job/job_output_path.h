// Where a job's outputs go: the movie and its sound track share one base name.
#pragma once

#include <string>

namespace reelpack {

// The output folder, then the input's file name (from its last '\' or '/'
// on; a separator is put between when the input has none), its extension
// (from the last '.' after that, double-byte aware) replaced by `extension`
// (".rzm2", ".mp3", ".ogg"), or the extension appended when it has none.
std::string JobOutputPath(const char* outputFolder, const char* inputPath, const char* extension);

// Where an output is written before it takes its final name: beside it, so
// the rename stays on one file system, and always the same name, so a
// conversion cut off by a kill leaves a file the next one replaces.
std::string TemporaryOutputPath(const std::string& finalPath);

// Where an earlier output waits while a job puts its new outputs in place,
// beside it for the same reason.
std::string AsideOutputPath(const std::string& finalPath);

}  // namespace reelpack
