#include <dlfcn.h>

#include <string>

#include "host/files/file_api.h"
#include "host/module/module_api.h"
#include "host/text/code_page.h"
#include "host/text/wide_text.h"

namespace {

bool IsBareName(LPCWSTR name) {
  for (LPCWSTR c = name; *c; ++c) {
    if (*c == u'\\' || *c == u'/') return false;
  }
  return true;
}

// The program folder in platform form, ending in '\'.
std::u16string ProgramFolder() {
  WCHAR path[4096];
  const DWORD length = GetModuleFileNameW(nullptr, path, 4096);
  std::u16string folder(path, length);
  const std::size_t cut = folder.find_last_of(u'\\');
  return cut == std::u16string::npos ? std::u16string() : folder.substr(0, cut + 1);
}

}  // namespace

HMODULE LoadLibraryW(LPCWSTR name) {
  if (name == nullptr || *name == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  const std::u16string platformPath = IsBareName(name) ? ProgramFolder() + name : std::u16string(name);
  const std::string path = HostPathFromWide(platformPath.c_str());
  // RTLD_LOCAL keeps one module's names from answering for another's.
  void* module = path.empty() ? nullptr : dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  SetLastError(module ? ERROR_SUCCESS : ERROR_MOD_NOT_FOUND);
  return module;
}

HMODULE LoadLibraryExW(LPCWSTR name, HANDLE, DWORD) { return LoadLibraryW(name); }

HMODULE LoadLibraryA(LPCSTR name) {
  const int units = name ? MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0) : 0;
  std::u16string wide(units > 0 ? static_cast<std::size_t>(units) : 1, u'\0');
  if (units <= 0 || MultiByteToWideChar(CP_ACP, 0, name, -1, wide.data(), units) <= 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return LoadLibraryW(wide.c_str());
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  void* entry = module && name ? dlsym(module, name) : nullptr;
  SetLastError(entry ? ERROR_SUCCESS : ERROR_PROC_NOT_FOUND);
  return reinterpret_cast<FARPROC>(entry);
}

FARPROC GetProcAddressW(HMODULE module, LPCWSTR name) {
  return GetProcAddress(module, name ? Utf8FromWide(name).c_str() : nullptr);
}

BOOL FreeLibrary(HMODULE module) {
  if (module == nullptr || dlclose(module) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
