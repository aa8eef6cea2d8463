#include "host/text/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "host/text/cp932_table.h"

namespace {

constexpr const char* kUtf16 = "UTF-16LE";

// iconv descriptors carry conversion state and are not thread-safe; opening
// one per call is slow, so each thread keeps its own per direction.
class ThreadConverters {
 public:
  ~ThreadConverters() {
    for (auto& entry : converters_) iconv_close(entry.second);
  }

  iconv_t Get(const char* to, const char* from) {
    auto key = std::make_pair(std::string(to), std::string(from));
    auto found = converters_.find(key);
    if (found == converters_.end()) {
      iconv_t converter = iconv_open(to, from);
      if (converter == reinterpret_cast<iconv_t>(-1)) return converter;
      found = converters_.emplace(key, converter).first;
    }
    iconv(found->second, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return found->second;
  }

 private:
  std::map<std::pair<std::string, std::string>, iconv_t> converters_;
};

thread_local ThreadConverters converters;

const char* EncodingOf(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_SHIFT_JIS:
      return "CP932";
    case CP_UTF8:
      return "UTF-8";
    default:
      return nullptr;
  }
}

// Converts all of input. A sequence iconv rejects goes to replace(input,
// left, output), which appends a substitute and returns how many input bytes
// to skip, or 0 to give up.
template <typename Replace>
bool Convert(const char* to, const char* from, const char* input, size_t inputBytes,
             std::string& output, Replace replace) {
  iconv_t converter = converters.Get(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  output.clear();
  char* in = const_cast<char*>(input);
  size_t inLeft = inputBytes;
  char chunk[512];
  while (inLeft > 0) {
    char* out = chunk;
    size_t outLeft = sizeof chunk;
    size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    output.append(chunk, out - chunk);
    if (result != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    size_t skip = replace(in, inLeft, output);
    if (skip == 0 || skip > inLeft) return false;
    in += skip;
    inLeft -= skip;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

// Code page 932 through the character table: a lead byte and its trail form
// one character, any other byte stands alone.
bool ConvertCp932(const char* input, size_t inputBytes, std::string& output) {
  output.clear();
  output.reserve(inputBytes * sizeof(WCHAR));
  const auto* bytes = reinterpret_cast<const unsigned char*>(input);
  for (size_t i = 0; i < inputBytes;) {
    WCHAR unit = kNoCp932Character;
    if (i + 1 < inputBytes && bytes[i] >= 0x81) unit = Cp932ToUnit(bytes[i] << 8 | bytes[i + 1]);
    size_t step = 2;
    if (unit == kNoCp932Character) {
      unit = Cp932ToUnit(bytes[i]);
      step = 1;
    }
    if (unit == kNoCp932Character) return false;
    output.push_back(static_cast<char>(unit & 0xFF));
    output.push_back(static_cast<char>(unit >> 8));
    i += step;
  }
  return true;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// Copies the converted text out under the platform's size rules.
template <typename Unit>
int DeliverUnits(const std::string& converted, Unit* out, int outUnits) {
  size_t units = converted.size() / sizeof(Unit);
  if (units > static_cast<size_t>(INT32_MAX)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (outUnits == 0) return static_cast<int>(units);
  if (units > static_cast<size_t>(outUnits)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, converted.data(), converted.size());
  return static_cast<int>(units);
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD, const char* text, int textBytes, WCHAR* out,
                        int outUnits) {
  const char* encoding = EncodingOf(codePage);
  if (encoding == nullptr || text == nullptr || textBytes == 0 || textBytes < -1 || outUnits < 0 ||
      (outUnits > 0 && out == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t bytes = textBytes == -1 ? std::strlen(text) + 1 : static_cast<size_t>(textBytes);
  std::string converted;
  auto reject = [](const char*, size_t, std::string&) -> size_t { return 0; };
  const bool converts = codePage == CP_UTF8 ? Convert(kUtf16, encoding, text, bytes, converted, reject)
                                            : ConvertCp932(text, bytes, converted);
  if (!converts) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return DeliverUnits(converted, out, outUnits);
}

int WideCharToMultiByte(UINT codePage, DWORD, const WCHAR* text, int textUnits, char* out,
                        int outBytes, const char* defaultChar, BOOL* usedDefault) {
  const char* encoding = EncodingOf(codePage);
  if (encoding == nullptr || text == nullptr || textUnits == 0 || textUnits < -1 || outBytes < 0 ||
      (outBytes > 0 && out == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t units = 0;
  if (textUnits == -1) {
    while (text[units] != 0) ++units;
    ++units;
  } else {
    units = static_cast<size_t>(textUnits);
  }
  // Characters the target cannot hold become the default character (UTF-8
  // only meets lone surrogates, which become U+FFFD).
  std::string substitute = codePage == CP_UTF8 ? "\xEF\xBF\xBD" : "?";
  if (codePage != CP_UTF8 && defaultChar != nullptr && defaultChar[0] != 0) {
    substitute.assign(defaultChar, defaultChar[1] != 0 ? 2 : 1);
  }
  bool substituted = false;
  auto replace = [&](const char* at, size_t left, std::string& output) -> size_t {
    output += substitute;
    substituted = true;
    char16_t unit[2] = {};
    std::memcpy(unit, at, left >= 4 ? 4 : 2);
    return left >= 4 && IsHighSurrogate(unit[0]) && IsLowSurrogate(unit[1]) ? 4 : 2;
  };
  std::string converted;
  if (!Convert(encoding, kUtf16, reinterpret_cast<const char*>(text), units * sizeof(WCHAR),
               converted, replace)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (usedDefault != nullptr) *usedDefault = substituted ? TRUE : FALSE;
  return DeliverUnits(converted, out, outBytes);
}
