#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "host/text/code_page.h"
#include "host/files/file_api.h"

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

// The one entry of directory whose name equals name ignoring ASCII case;
// nothing when there is none or more than one.
std::optional<std::string> FindIgnoringCase(const std::string& directory, std::string_view name) {
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) return std::nullopt;
  std::optional<std::string> match;
  int matches = 0;
  while (dirent* entry = readdir(listing)) {
    if (EqualIgnoringAsciiCase(entry->d_name, name)) {
      match = entry->d_name;
      ++matches;
    }
  }
  closedir(listing);
  if (matches != 1) return std::nullopt;
  return match;
}

// Walks a '/'-separated path and swaps each missing component for the
// existing entry that differs only in case. Once a component is missing for
// good the rest cannot exist either and stays as given, so new files and
// folders get exactly the names the caller chose.
std::string ResolveIgnoringCase(const std::string& path) {
  std::string resolved;
  size_t start = 0;
  if (!path.empty() && path[0] == '/') {
    resolved = "/";
    start = 1;
  }
  bool lookUp = true;
  for (;;) {
    size_t end = std::min(path.find('/', start), path.size());
    std::string name = path.substr(start, end - start);
    if (lookUp && !name.empty() && name != "." && name != "..") {
      struct stat info;
      if (lstat((resolved + name).c_str(), &info) != 0) {
        auto match = FindIgnoringCase(resolved.empty() ? "." : resolved, name);
        if (match) {
          name = *match;
        } else {
          lookUp = false;
        }
      }
    }
    resolved += name;
    if (end == path.size()) break;
    resolved += '/';
    start = end + 1;
  }
  return resolved;
}

}  // namespace

std::string HostPathFromWide(LPCWSTR path) {
  if (path == nullptr || path[0] == 0) return {};
  int bytes = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
  if (bytes == 0) return {};
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8.data(), bytes, nullptr, nullptr);
  utf8.pop_back();  // the NUL
  // Converted first, so a Shift-JIS trail byte 0x5C is never taken for '\'.
  std::replace(utf8.begin(), utf8.end(), '\\', '/');
  return ResolveIgnoringCase(utf8);
}

std::string HostPathFromShiftJis(LPCSTR path) {
  if (path == nullptr || path[0] == 0) return {};
  int units = MultiByteToWideChar(CP_SHIFT_JIS, 0, path, -1, nullptr, 0);
  if (units == 0) return {};
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(CP_SHIFT_JIS, 0, path, -1, wide.data(), units);
  return HostPathFromWide(wide.c_str());
}

std::u16string HostWideFromUtf8(const std::string& text) {
  if (text.empty()) return {};
  int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (units == 0) return {};
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  return wide;
}
