// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes, and its paths in the forms the code under test
// takes. Each object gets its own unique name, so tests run in parallel never
// share files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ScopedTempDir {
 public:
  // The folder's name starts with prefix; throws when it cannot be made.
  explicit ScopedTempDir(std::string_view prefix);
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The folder's Linux path, without a trailing '/'.
  const std::string& Path() const { return path_; }
  // The Linux path of relative ('/' separators) inside the folder; of "" it is
  // the folder's own path ending in '/'.
  std::string HostPath(std::string_view relative) const;
  // The engine's form of that path: '\' separators, narrow bytes.
  std::string EnginePath(std::string_view relative) const;
  // The platform's wide form: UTF-16 with '\' separators.
  std::u16string WidePath(std::string_view relative) const;

  // Writes relative, making its parent folders; returns its Linux path.
  std::string WriteFile(std::string_view relative, std::string_view bytes) const;
  std::string WriteFile(std::string_view relative, const std::vector<std::uint8_t>& bytes) const;
  // The file's bytes; nothing when it cannot be opened.
  std::optional<std::string> ReadFile(std::string_view relative) const;

 private:
  std::string path_;
};
