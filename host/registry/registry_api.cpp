#include "host/registry/registry_api.h"

#include "host/files/file_api.h"
#include "host/module/module_api.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct RegistryValue {
  std::string name;
  DWORD type;
  std::string data;  // REG_SZ text (without terminator) or 4 little-endian bytes
};

struct OpenKey {
  std::vector<RegistryValue> values;
};

std::string storePath() {
  if (const char* path = std::getenv("NOVEL_REGISTRY_FILE")) return path;
  WCHAR self[4096];
  if (GetModuleFileNameW(nullptr, self, 4096) == 0) return {};
  const std::string path = HostPathFromWide(self);
  return path.substr(0, path.rfind('/') + 1) + "registry.reg";
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

// Parses one `"name"=dword:hex` or `"name"="text"` line.
bool parseValue(const std::string& line, RegistryValue& value) {
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

}  // namespace

LONG RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD, REGSAM, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const char* rootText = rootName(root);
  if (rootText == nullptr || subKey == nullptr) return ERROR_INVALID_HANDLE;
  std::ifstream store(storePath());
  if (!store) return ERROR_FILE_NOT_FOUND;

  const std::string wanted = std::string("[") + rootText + "\\" + subKey + "]";
  bool found = false;
  bool inKey = false;
  auto* key = new OpenKey;
  std::string line;
  while (std::getline(store, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inKey = sameText(line, wanted);
      found = found || inKey;
      continue;
    }
    RegistryValue value;
    if (inKey && parseValue(line, value)) key->values.push_back(value);
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
