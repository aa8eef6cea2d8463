#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "host/files/file_api.h"
#include "host/module/module_api.h"
#include "host/text/wide_text.h"

namespace {

std::mutex overrideLock;
std::string overridePath;
std::string announcedFolder;

std::string RealProgramPath() {
  {
    std::lock_guard lock(overrideLock);
    if (!overridePath.empty()) return overridePath;
  }
  char buffer[4096];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

bool HeldInShiftJis(const std::string& text) {
  std::string unused;
  return ShiftJisFromUtf8(text, &unused);
}

// A folder of this user's alone for the aliases: made when missing, refused
// when someone else owns it, others can enter it, or it is a link.
std::string AliasStore() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base = runtime != nullptr && runtime[0] == '/' && HeldInShiftJis(runtime) ? runtime : "/tmp";
  const std::string store = base + "/novel-folders-" + std::to_string(geteuid());
  mkdir(store.c_str(), 0700);
  struct stat info;
  if (lstat(store.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
      (info.st_mode & 077) != 0) {
    return {};
  }
  return store;
}

}  // namespace

// The same folder always gets the same alias: a link named after a hash of
// its path. Empty when no alias can be made.
std::string HostFolderAlias(const std::string& folder) {
  const std::string store = AliasStore();
  if (store.empty()) return {};
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : folder) hash = (hash ^ c) * 1099511628211ull;
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  const std::string alias = store + "/" + name;
  char target[4096];
  const ssize_t length = readlink(alias.c_str(), target, sizeof target);
  if (length > 0 && std::string(target, static_cast<size_t>(length)) == folder) return alias;
  unlink(alias.c_str());
  return symlink(folder.c_str(), alias.c_str()) == 0 ? alias : std::string();
}

namespace {

// The engine holds its program folder in Shift-JIS: a folder whose path code
// page 932 cannot hold would reach it with '?' in place of those characters
// and its files would not be found. Such a folder is handed out as its alias.
std::string ProgramPath() {
  const std::string path = RealProgramPath();
  const std::size_t slash = path.find_last_of('/');
  if (path.empty() || slash == std::string::npos || HeldInShiftJis(path.substr(0, slash))) return path;
  const std::string folder = path.substr(0, slash);
  const std::string alias = HostFolderAlias(folder);
  {
    std::lock_guard lock(overrideLock);
    if (announcedFolder != folder) {
      announcedFolder = folder;
      if (alias.empty()) {
        std::fprintf(stderr, "program folder \"%s\" has characters code page 932 lacks and no alias could be made\n",
                     folder.c_str());
      } else {
        std::fprintf(stderr, "program folder \"%s\" has characters code page 932 lacks: reached as \"%s\"\n",
                     folder.c_str(), alias.c_str());
      }
    }
  }
  return alias.empty() ? path : alias + path.substr(slash);
}

}  // namespace

DWORD GetModuleFileNameW(HMODULE, LPWSTR out, DWORD outUnits) {
  std::u16string path = HostWideFromUtf8(ProgramPath());
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  std::replace(path.begin(), path.end(), u'/', u'\\');
  if (out == nullptr || path.size() >= outUnits) {
    // A cut path would name some other file: hand back the prefix for show,
    // but report failure.
    if (out != nullptr && outUnits > 0) {
      std::copy_n(path.begin(), outUnits - 1, out);
      out[outUnits - 1] = 0;
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(path.begin(), path.end(), out);
  out[path.size()] = 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}

void HostSetModulePath(const char* linuxPath) {
  std::lock_guard lock(overrideLock);
  overridePath = linuxPath != nullptr ? linuxPath : "";
}
