// The profile cache: the file's lines in order, edited in place and written
// back whole when a value changed. Lines are kept without their line ends
// and written back with the file's own.
#include "engine/archive/profile_file.h"

#include <cstring>
#include <iterator>
#include <list>
#include <optional>
#include <string>
#include <string_view>

#include "common/sjis_string.h"
#include "engine/runtime/file_helpers.h"
#include "host/base/diagnostics.h"
#include "host/files/file_api.h"
#include "host/memory/memory_api.h"

namespace {

using ProfileLines = std::list<std::string>;
using ProfileLine = ProfileLines::iterator;

struct ProfileCache {
  bool cached = false;
  std::string path;
  ProfileLines lines;
  std::string lineEnd = "\r\n";  // the file's own, kept when it is written back
  bool changed = false;          // a value differs from the file's
  bool unreadable = false;       // the file exists but could not be read: never written over
};

ProfileCache gProfileCache;

bool IsSectionLine(const std::string& line) { return !line.empty() && line[0] == '['; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text between '[' and ']' without blanks. A ']' can be the second byte
// of a double-byte character, so those are stepped over whole.
std::string SectionName(const std::string& line) {
  std::string name;
  for (std::size_t i = 1; i < line.size() && line[i] != ']'; ++i) {
    if (IsSjisLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) {
      name += line[i];
      name += line[++i];
    } else if (!IsBlank(line[i])) {
      name += line[i];
    }
  }
  return name;
}

// The key of a key line without blanks, or nothing for any other line. '=',
// blanks and tabs are never the second byte of a double-byte character.
std::optional<std::string> KeyName(const std::string& line) {
  if (IsSectionLine(line)) return std::nullopt;
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) return std::nullopt;
  std::string key;
  for (std::size_t i = 0; i < equals; ++i) {
    if (!IsBlank(line[i])) key += line[i];
  }
  return key;
}

bool NamesEqual(const std::string& a, const char* b) { return StrEqualNoCase(a.c_str(), b) != 0; }

// Lines end at LF, with a CR before it dropped; a last line without a line
// end runs to the end of the text. The first line end sets the file's style.
void ParseProfileText(const char* text, std::size_t size) {
  const char* firstEnd = static_cast<const char*>(std::memchr(text, '\n', size));
  if (firstEnd != nullptr && (firstEnd == text || firstEnd[-1] != '\r')) gProfileCache.lineEnd = "\n";
  std::size_t start = 0;
  while (start < size) {
    std::size_t end = start;
    while (end < size && text[end] != '\n') ++end;
    std::size_t lineEnd = end;
    if (end < size && lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
    gProfileCache.lines.emplace_back(text + start, lineEnd - start);
    start = end + 1;
  }
}

std::string SerializeProfile() {
  std::string text;
  for (const std::string& line : gProfileCache.lines) {
    text += line;
    text += gProfileCache.lineEnd;
  }
  return text;
}

// Makes path the cached file. Changes to another file are written first
// rather than dropped.
bool UseProfile(const char* path) {
  if (path == nullptr) return false;
  if (gProfileCache.cached && NamesEqual(gProfileCache.path, path)) return true;
  if (gProfileCache.changed) FlushProfile();
  gProfileCache = ProfileCache{};
  gProfileCache.cached = true;
  gProfileCache.path = path;
  std::uint32_t size = 0;
  void* text = ReadWholeFile(path, &size, 0);
  if (text != nullptr) {
    ParseProfileText(static_cast<const char*>(text), size);
    LocalFree(text);
  } else {
    gProfileCache.unreadable = FileExists(path) != 0;
  }
  return true;
}

std::optional<ProfileLine> FindProfileSection(const char* section) {
  for (auto line = gProfileCache.lines.begin(); line != gProfileCache.lines.end(); ++line) {
    if (IsSectionLine(*line) && NamesEqual(SectionName(*line), section)) return line;
  }
  return std::nullopt;
}

// The value text of the first matching key in the section (every part of the
// file that carries the section's name counts).
std::optional<std::string_view> FindProfileValue(const char* section, const char* key) {
  std::string current;
  for (const std::string& line : gProfileCache.lines) {
    if (IsSectionLine(line)) {
      current = SectionName(line);
      continue;
    }
    if (!NamesEqual(current, section)) continue;
    const std::optional<std::string> lineKey = KeyName(line);
    if (lineKey && NamesEqual(*lineKey, key)) return std::string_view(line).substr(line.find('=') + 1);
  }
  return std::nullopt;
}

// Sets the first matching key of the section. A line that already holds the
// value is left as the file spells it.
bool SetProfileKey(ProfileLine sectionLine, const char* key, const std::string& value) {
  for (auto line = std::next(sectionLine); line != gProfileCache.lines.end() && !IsSectionLine(*line); ++line) {
    const std::optional<std::string> lineKey = KeyName(*line);
    if (lineKey && NamesEqual(*lineKey, key)) {
      if (std::string_view(*line).substr(line->find('=') + 1) != value) {
        *line = std::string(key) + "=" + value;
        gProfileCache.changed = true;
      }
      return true;
    }
  }
  return false;
}

}  // namespace

void ClearProfileCache() { gProfileCache = ProfileCache{}; }

std::int32_t ReadProfileInt(const char* section, const char* key, std::int32_t defaultValue, const char* path) {
  if (section == nullptr || key == nullptr || !UseProfile(path)) return defaultValue;
  const std::optional<std::string_view> value = FindProfileValue(section, key);
  if (!value || value->empty()) return defaultValue;
  int number = 0;
  ParseInt(std::string(*value).c_str(), &number);
  return number;
}

int ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out, int maxLength,
                      const char* path) {
  if (out == nullptr || maxLength < 0) return 0;
  const std::size_t capacity = static_cast<std::size_t>(maxLength) + 1;
  StrCopy(out, capacity, defaultValue != nullptr ? defaultValue : "");
  if (section != nullptr && key != nullptr && UseProfile(path)) {
    const std::optional<std::string_view> value = FindProfileValue(section, key);
    if (value && !value->empty()) {
      const std::string raw(*value);
      std::string text(raw.size() + 1, '\0');
      StrCopyToken(raw.c_str(), text.data(), text.size(), "", 0);
      text.resize(StrLength(text.c_str()));
      if (text.size() <= static_cast<std::size_t>(maxLength)) StrCopy(out, capacity, text.c_str());
    }
  }
  return static_cast<int>(StrLength(out));
}

int WriteProfileValue(const char* section, const char* key, const char* value, const char* path) {
  if (section == nullptr || key == nullptr || !UseProfile(path)) return 0;
  ProfileLines& lines = gProfileCache.lines;
  const std::string text = value != nullptr ? value : "";
  std::optional<ProfileLine> sectionLine = FindProfileSection(section);
  if (!sectionLine) {
    sectionLine = lines.insert(lines.end(), "[" + std::string(section) + "]");
    gProfileCache.changed = true;
  }
  // A new key goes right under its section line.
  if (!SetProfileKey(*sectionLine, key, text)) {
    lines.insert(std::next(*sectionLine), std::string(key) + "=" + text);
    gProfileCache.changed = true;
  }
  return 1;
}

int FlushProfile() {
  bool written = true;
  // An unchanged file is not touched: its bytes, line ends and links stay.
  if (gProfileCache.cached && gProfileCache.changed && !gProfileCache.lines.empty()) {
    const std::string text = SerializeProfile();
    const char* failedStep = "reading it at first";
    written = !gProfileCache.unreadable && ReplaceWholeFile(gProfileCache.path.c_str(), text.data(),
                                                            static_cast<std::uint32_t>(text.size()), &failedStep);
    if (!written) DiagnosticLine("%s left as it was: %s failed", gProfileCache.path.c_str(), failedStep);
  }
  gProfileCache = ProfileCache{};
  return written ? 1 : 0;
}
