#include "tests/support/scoped_temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/files/file_api.h"

namespace fs = std::filesystem;

namespace {

// Tests may leave read-only files and folders; the owner gets every right back
// so that nothing stays behind.
void RestoreOwnerRights(const fs::path& folder) {
  std::error_code ignored;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (fs::directory_iterator it(folder, ignored), end; it != end; it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      RestoreOwnerRights(it->path());
    } else if (!it->is_symlink(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ignored);
    }
  }
}

}  // namespace

ScopedTempDir::ScopedTempDir(std::string_view prefix) {
  std::string pattern = (fs::temp_directory_path() / prefix).string() + "XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  path_ = pattern;
}

ScopedTempDir::~ScopedTempDir() {
  RestoreOwnerRights(path_);
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ScopedTempDir::HostPath(std::string_view relative) const {
  return path_ + "/" + std::string(relative);
}

std::string ScopedTempDir::EnginePath(std::string_view relative) const {
  std::string path = HostPath(relative);
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::u16string ScopedTempDir::WidePath(std::string_view relative) const {
  std::u16string wide = HostWideFromUtf8(HostPath(relative));
  std::replace(wide.begin(), wide.end(), u'/', u'\\');
  return wide;
}

std::string ScopedTempDir::WriteFile(std::string_view relative, std::string_view bytes) const {
  const std::string path = HostPath(relative);
  std::error_code ignored;
  fs::create_directories(fs::path(path).parent_path(), ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) ADD_FAILURE() << "cannot write " << path;
  return path;
}

std::string ScopedTempDir::WriteFile(std::string_view relative, const std::vector<std::uint8_t>& bytes) const {
  return WriteFile(relative, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<std::string> ScopedTempDir::ReadFile(std::string_view relative) const {
  std::ifstream in(HostPath(relative), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
