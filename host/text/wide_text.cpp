#include "host/text/wide_text.h"

#include <vector>

#include "host/text/code_page.h"

std::string Utf8FromWide(LPCWSTR text) {
  if (!text) return {};
  const int needed = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 1) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), needed, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(needed) - 1);
  return out;
}

bool ShiftJisFromUtf8(const std::string& text, std::string* out) {
  out->clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  if (units == 0) return false;
  std::vector<WCHAR> wide(static_cast<std::size_t>(units));
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), units);
  BOOL lacking = FALSE;
  const int bytes = WideCharToMultiByte(CP_SHIFT_JIS, 0, wide.data(), units, nullptr, 0, nullptr, &lacking);
  if (bytes == 0 || lacking) return false;
  out->resize(static_cast<std::size_t>(bytes));
  WideCharToMultiByte(CP_SHIFT_JIS, 0, wide.data(), units, out->data(), bytes, nullptr, nullptr);
  return true;
}
