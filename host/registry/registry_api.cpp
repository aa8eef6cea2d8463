#include "host/registry/registry_api.h"

#include "host/files/file_api.h"
#include "host/module/module_api.h"
#include "host/registry/registry_store.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct OpenKey {
  std::vector<RegistryValue> values;
};

std::string storePath() {
  if (const char* path = std::getenv("NOVEL_REGISTRY_FILE")) return path;
  WCHAR self[4096];
  if (GetModuleFileNameW(nullptr, self, 4096) == 0) return {};
  // Finding the program's folder on disk walks its path: done again only
  // when the program is named elsewhere.
  static std::mutex lock;
  static std::u16string lastProgram;
  static std::string lastStore;
  std::lock_guard hold(lock);
  if (lastStore.empty() || lastProgram != self) {
    const std::string path = HostPathFromWide(self);
    lastProgram = self;
    lastStore = path.substr(0, path.rfind('/') + 1) + "registry.reg";
  }
  return lastStore;
}

bool sameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

const char* rootName(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  return nullptr;
}

}  // namespace

LONG RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD, REGSAM, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const char* rootText = rootName(root);
  if (rootText == nullptr || subKey == nullptr) return ERROR_INVALID_HANDLE;
  const std::shared_ptr<const RegistryKeys> keys = RegistryStoreKeys(storePath());
  if (keys == nullptr) return ERROR_FILE_NOT_FOUND;

  const std::string wanted = std::string("[") + rootText + "\\" + subKey + "]";
  auto* key = new OpenKey;
  bool found = false;
  for (const RegistryKey& stored : *keys) {
    if (!sameText(stored.header, wanted)) continue;
    found = true;
    key->values.insert(key->values.end(), stored.values.begin(), stored.values.end());
  }
  if (!found) {
    delete key;
    return ERROR_FILE_NOT_FOUND;
  }
  *result = key;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
  if (key == nullptr || rootName(key) != nullptr) return ERROR_INVALID_HANDLE;
  const auto* open = static_cast<const OpenKey*>(key);
  const std::string name = valueName == nullptr ? "" : valueName;
  for (const RegistryValue& value : open->values) {
    if (!sameText(value.name, name)) continue;
    const auto size = static_cast<DWORD>(value.data.size() + (value.type == REG_SZ ? 1 : 0));
    if (type != nullptr) *type = value.type;
    if (data == nullptr) {
      if (dataSize != nullptr) *dataSize = size;
      return ERROR_SUCCESS;
    }
    if (dataSize == nullptr) return ERROR_INVALID_PARAMETER;
    if (*dataSize < size) {
      *dataSize = size;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.data.data(), value.data.size());
    if (value.type == REG_SZ) data[value.data.size()] = 0;
    *dataSize = size;
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG RegCloseKey(HKEY key) {
  if (key == nullptr || rootName(key) != nullptr) return ERROR_INVALID_HANDLE;
  delete static_cast<OpenKey*>(key);
  return ERROR_SUCCESS;
}
