// The formatter all of the system's own text goes through: file names
// ("save%z3.dat"), save time stamps, settings values and menu texts in the
// engine, rates and progress in the converter.
//
// Conversion syntax: '%', the letter, then for numbers an optional sign flag
// ('+' or '-'), a width of one or two digits and, for f, ".precision".
//   %c byte  %d signed  %u unsigned  %z zero-padded  %x hex  %o octal
//   %t 64-bit  %f truncated float  %s text  %S full-width text
//   %r append after the text already in the output  %l prefix (ignored)
// Upper-case letters give the field converted to full-width Shift-JIS.
//
// Arguments are typed (integers, floating point, text) rather than C varargs
// so the same format strings work on 64-bit machines; a missing argument
// reads as 0 or empty text. The output never grows past its capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

struct FormatArg {
  enum class Kind { Integer, Real, Text };
  Kind kind = Kind::Integer;
  std::uint64_t integer = 0;  // sign-extended for signed arguments
  double real = 0.0;
  const char* text = nullptr;

  FormatArg() = default;
  template <typename T>
    requires std::is_integral_v<T> || std::is_enum_v<T>
  FormatArg(T value)
      : integer(static_cast<std::uint64_t>(static_cast<std::int64_t>(value))) {
    if constexpr (std::is_unsigned_v<T>) integer = static_cast<std::uint64_t>(value);
  }
  FormatArg(double value) : kind(Kind::Real), real(value) {}
  FormatArg(float value) : kind(Kind::Real), real(value) {}
  FormatArg(const char* value) : kind(Kind::Text), text(value) {}
  FormatArg(char* value) : kind(Kind::Text), text(value) {}
  FormatArg(const unsigned char* value) : kind(Kind::Text), text(reinterpret_cast<const char*>(value)) {}
};

void FormatTextArgs(char* out, std::size_t capacity, const char* format, std::span<const FormatArg> args);

template <typename... Args>
void FormatText(char* out, std::size_t capacity, const char* format, const Args&... args) {
  const FormatArg list[] = {FormatArg(args)..., FormatArg()};
  FormatTextArgs(out, capacity, format, std::span<const FormatArg>(list, sizeof...(Args)));
}
template <std::size_t N, typename... Args>
void FormatText(char (&out)[N], const char* format, const Args&... args) {
  FormatText(out, N, format, args...);
}

// Helpers, also used on their own. Each writes a NUL-terminated text into a
// buffer of at least width + 1 bytes (FormatDecimal: 11, FormatDecimal64: 21).
int ReadWidthDigits(const char*& position);
// Copies text converting single-byte characters to full width; returns the
// number converted. out holds outCapacity bytes, always NUL-terminated.
int ToFullWidth(char* out, std::size_t outCapacity, const char* text);
void FormatFixedDecimal(char* buffer, std::uint32_t value, int width, int zeroPad);
void FormatFixedDecimal64(char* buffer, std::uint64_t value, int width, int zeroPad);
void FormatDecimal(char* buffer, std::uint32_t value);
void FormatDecimal64(char* buffer, std::uint64_t value);
void FormatHex(char* buffer, std::uint32_t value, int width);
void FormatOctal(char* buffer, std::uint32_t value, int width);
// buffer: at least width + precision + 2 bytes.
void FormatFloat(char* buffer, double value, int width, int precision);
