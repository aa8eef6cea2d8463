#include "converter/job/job_output_path.h"

#include "common/sjis_string.h"

namespace reelpack {
namespace {

// The last '\' or '/' of path, or null.
const char* LastSeparator(const char* path) {
  const char* backslash = StrFindLast(path, '\\');
  const char* slash = StrFindLast(path, '/');
  return backslash > slash ? backslash : slash;
}

}  // namespace

std::string JobOutputPath(const char* outputFolder, const char* inputPath, const char* extension) {
  std::string path = outputFolder;
  const char* name = LastSeparator(inputPath);
  if (name == nullptr) {
    const char* folderEnd = LastSeparator(outputFolder);
    if (!path.empty() && (folderEnd == nullptr || folderEnd[1] != '\0')) path += '\\';
    name = inputPath;
  }
  const std::size_t nameStart = path.size();
  path += name;
  const char* dot = StrFindLast(path.c_str() + nameStart, '.');
  if (dot != nullptr) path.resize(static_cast<std::size_t>(dot - path.c_str()));
  return path + extension;
}

std::string TemporaryOutputPath(const std::string& finalPath) { return finalPath + ".tmp"; }

std::string AsideOutputPath(const std::string& finalPath) { return finalPath + ".old"; }

}  // namespace reelpack
