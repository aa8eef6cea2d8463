#include "host/registry/registry_store.h"

#include "host/registry/registry_api.h"

#include <sys/stat.h>

#include <ctime>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

namespace {

// What a stat of the store tells about its content.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  bool operator==(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
  }
};

struct CachedStore {
  std::string path;
  FileStamp stamp;
  std::time_t readAt = 0;  // wall-clock second the bytes were read
  std::string bytes;
  std::shared_ptr<const RegistryKeys> keys;
};

std::mutex cacheLock;
CachedStore cache;

bool StampOf(const std::string& path, FileStamp& stamp) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modified = info.st_mtim;
  stamp.changed = info.st_ctim;
  return true;
}

// File times have the file system's coarse granularity: a file changed within
// a second of being read may change again with the same stamp.
bool StampSettled(const CachedStore& store) { return store.stamp.changed.tv_sec + 1 < store.readAt; }

// Parses one `"name"=dword:hex` or `"name"="text"` line.
bool ParseValue(const std::string& line, RegistryValue& value) {
  if (line.size() < 4 || line[0] != '"') return false;
  const std::size_t nameEnd = line.find('"', 1);
  if (nameEnd == std::string::npos || nameEnd + 1 >= line.size() || line[nameEnd + 1] != '=') return false;
  value.name = line.substr(1, nameEnd - 1);
  const std::string data = line.substr(nameEnd + 2);
  if (data.rfind("dword:", 0) == 0) {
    char* end = nullptr;
    const unsigned long number = std::strtoul(data.c_str() + 6, &end, 16);
    if (end == data.c_str() + 6) return false;
    value.type = REG_DWORD;
    value.data.assign(4, '\0');
    for (int i = 0; i < 4; ++i) value.data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return true;
  }
  if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
    value.type = REG_SZ;
    value.data = data.substr(1, data.size() - 2);
    return true;
  }
  return false;
}

std::shared_ptr<const RegistryKeys> ParseStore(const std::string& bytes) {
  auto keys = std::make_shared<RegistryKeys>();
  std::istringstream lines(bytes);
  std::string line;
  while (std::getline(lines, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line[0] == '[') {
      keys->push_back({line, {}});
      continue;
    }
    RegistryValue value;
    if (!keys->empty() && ParseValue(line, value)) keys->back().values.push_back(value);
  }
  return keys;
}

bool ReadBytes(const std::string& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

std::shared_ptr<const RegistryKeys> RegistryStoreKeys(const std::string& path) {
  FileStamp stamp;
  if (path.empty() || !StampOf(path, stamp)) return nullptr;
  std::lock_guard lock(cacheLock);
  const bool samePath = cache.keys != nullptr && cache.path == path;
  if (samePath && cache.stamp == stamp && StampSettled(cache)) return cache.keys;

  const std::time_t readAt = std::time(nullptr);
  std::string bytes;
  // A change after the stamp was taken shows as a newer stamp, or within the
  // same second as an unsettled one, on the next look-up.
  if (!ReadBytes(path, bytes)) return nullptr;
  if (!samePath || bytes != cache.bytes) cache.keys = ParseStore(bytes);
  cache.path = path;
  cache.stamp = stamp;
  cache.readAt = readAt;
  cache.bytes = std::move(bytes);
  return cache.keys;
}
