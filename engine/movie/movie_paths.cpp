#include "engine/movie/movie_paths.h"

#include <algorithm>

#include "common/sjis_string.h"

namespace {

// Offset of the byte after the last separator: 0 when there is none.
std::size_t NameStart(const char* text, char separator) {
  const char* last = StrFindLast(text, separator);
  return last ? static_cast<std::size_t>(last - text) + 1 : 0;
}

}  // namespace

std::string WithExtension(const std::string& path, const char* extension) {
  const char* text = path.c_str();
  const std::size_t nameStart = std::max(NameStart(text, '\\'), NameStart(text, '/'));
  const char* dot = StrFindLast(text + nameStart, '.');
  std::string result = dot ? path.substr(0, static_cast<std::size_t>(dot - text)) : path;
  return result + extension;
}

std::string AfterLastSlash(const std::string& name) { return name.substr(NameStart(name.c_str(), '/')); }
