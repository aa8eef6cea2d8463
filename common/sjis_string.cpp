#include "common/sjis_string.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char FoldAsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDelimiter(char c, const char* delimiters) {
  for (const char* d = delimiters; *d; ++d) {
    if (*d == c) return true;
  }
  return false;
}

// Bytes of src that fit in n bytes without splitting a double-byte character.
std::size_t FittingPrefix(const char* src, std::size_t n) {
  std::size_t i = 0;
  while (src[i] && i < n) {
    std::size_t step = (IsSjisLeadByte(static_cast<unsigned char>(src[i])) && src[i + 1]) ? 2 : 1;
    if (i + step > n) break;
    i += step;
  }
  return i;
}

}  // namespace

std::size_t StrLength(const char* s) {
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

void StrCopy(char* dst, std::size_t dstCapacity, const char* src) {
  if (dstCapacity == 0) return;
  std::size_t n = FittingPrefix(src, dstCapacity - 1);
  for (std::size_t i = 0; i < n; ++i) dst[i] = src[i];
  dst[n] = '\0';
}

char* StrAppend(char* dst, std::size_t dstCapacity, const char* src) {
  std::size_t used = 0;
  while (used < dstCapacity && dst[used]) ++used;
  if (used == dstCapacity) return dst + used - 1;  // no NUL within the buffer: leave it alone
  StrCopy(dst + used, dstCapacity - used, src);
  return dst + used + StrLength(dst + used);
}

const char* StrFindLast(const char* s, char c) {
  const char* found = nullptr;
  while (*s) {
    if (IsSjisLeadByte(static_cast<unsigned char>(*s))) {
      if (!s[1]) break;
      s += 2;
      continue;
    }
    if (*s == c) found = s;
    ++s;
  }
  return found;
}

char* StrFindLast(char* s, char c) { return const_cast<char*>(StrFindLast(static_cast<const char*>(s), c)); }

const char* StrCopyToken(const char* src, char* dst, std::size_t dstCapacity, const char* delimiters,
                         int skipBlanks) {
  std::size_t used = 0;
  auto put = [&](char c) {
    if (used + 1 < dstCapacity) dst[used++] = c;
  };
  while (*src && !IsDelimiter(*src, delimiters)) {
    if (*src == '"') {
      // A quoted run keeps delimiters and blanks; an empty run ("") is empty.
      ++src;
      while (*src && *src != '"') put(*src++);
      if (*src == '"') ++src;
      continue;
    }
    if (skipBlanks && IsBlank(*src)) {
      ++src;
      continue;
    }
    if (skipBlanks && src[0] == '\r' && src[1] == '\n') {
      src += 2;
      continue;
    }
    put(*src++);
  }
  if (dstCapacity) dst[used] = '\0';
  return src;
}

int StrEqualNoCase(const char* a, const char* b) {
  std::size_t i = 0;
  while (a[i]) {
    if (IsSjisLeadByte(static_cast<unsigned char>(a[i]))) {
      if (a[i] != b[i]) return 0;
      ++i;
      if (!a[i]) break;
      if (a[i] != b[i]) return 0;
      ++i;
      continue;
    }
    if (FoldAsciiUpper(a[i]) != FoldAsciiUpper(b[i])) return 0;
    ++i;
  }
  return b[i] == '\0' ? 1 : 0;
}

int ParseInt(const char* text, int* value) {
  std::uint32_t result = 0;
  std::size_t length = StrLength(text);
  if (text[0] == '0' && text[1] == 'x') {
    std::uint32_t weight = 1;
    for (std::size_t i = length; i > 2; --i, weight *= 16) {
      char c = text[i - 1];
      std::uint32_t digit = (c >= '0' && c <= '9') ? static_cast<std::uint32_t>(c - '0')
                                                   : static_cast<std::uint32_t>((c | 0x20) - 0x57);
      result += digit * weight;
    }
    *value = static_cast<int>(result);
    return -1;
  }
  // Every character takes one decimal place, digit or not, as stored
  // settings were always read this way.
  int sign = -1;
  bool negative = false;
  std::uint32_t weight = 1;
  for (std::size_t i = length; i > 0; --i, weight *= 10) {
    char c = text[i - 1];
    if (c >= '0' && c <= '9') {
      result += static_cast<std::uint32_t>(c - '0') * weight;
    } else if (c == '-') {
      negative = true;
      sign = 1;
    } else if (c == '+') {
      sign = 0;
    }
  }
  if (negative) result = 0u - result;
  *value = static_cast<int>(result);
  return sign;
}
