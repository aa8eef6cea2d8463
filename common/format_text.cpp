#include "common/format_text.h"

#include <cstring>

#include "common/full_width_table.h"
#include "common/sjis_string.h"

namespace {

constexpr char kDecimalDigits[] = "0123456789";
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kOctalDigits[] = "01234567";

// The output buffer with its capacity; nothing is written past it and the
// text always stays NUL-terminable.
class Sink {
 public:
  Sink(char* out, std::size_t capacity) : out_(out), capacity_(capacity) {}
  std::size_t Room() const { return capacity_ ? capacity_ - 1 - pos_ : 0; }
  void Put(char c) {
    if (Room() >= 1) out_[pos_++] = c;
  }
  bool Put2(char lead, char trail) {
    if (Room() < 2) return false;
    out_[pos_++] = lead;
    out_[pos_++] = trail;
    return true;
  }
  void PutText(const char* text) {
    while (*text) Put(*text++);
  }
  // %r: keep the text already in the buffer and continue after it.
  void SkipToNul() {
    while (Room() >= 1 && out_[pos_]) ++pos_;
  }
  void Finish() {
    if (capacity_) out_[pos_] = '\0';
  }
  std::size_t Position() const { return pos_; }

 private:
  char* out_;
  std::size_t capacity_;
  std::size_t pos_ = 0;
};

// Streams text in full-width form into the sink, writing at most maxBytes
// and never splitting a two-byte character. Returns the count converted.
int StreamFullWidth(Sink& sink, const char* text, std::size_t maxBytes) {
  int converted = 0;
  std::size_t written = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p;) {
    if (IsSjisLeadByte(*p)) {
      if (!p[1]) break;  // a lead byte right before the end is no character
      if (written + 2 > maxBytes || !sink.Put2(static_cast<char>(p[0]), static_cast<char>(p[1]))) break;
      written += 2;
      p += 2;
      continue;
    }
    if (std::uint16_t code = FullWidthCode(*p)) {
      if (written + 2 > maxBytes || !sink.Put2(static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)))
        break;
      written += 2;
      ++converted;
    } else {
      if (written + 1 > maxBytes || sink.Room() < 1) break;
      sink.Put(static_cast<char>(*p));
      ++written;
    }
    ++p;
  }
  return converted;
}

const FormatArg& ArgAt(std::span<const FormatArg> args, std::size_t& next) {
  static const FormatArg kMissing;
  return next < args.size() ? args[next++] : kMissing;
}

std::uint32_t Word(const FormatArg& arg) {
  if (arg.kind == FormatArg::Kind::Real) return static_cast<std::uint32_t>(static_cast<std::int64_t>(arg.real));
  return static_cast<std::uint32_t>(arg.integer);
}

std::uint64_t Word64(const FormatArg& arg) {
  if (arg.kind == FormatArg::Kind::Real) return static_cast<std::uint64_t>(static_cast<std::int64_t>(arg.real));
  return arg.integer;
}

double Real(const FormatArg& arg) {
  if (arg.kind == FormatArg::Kind::Real) return arg.real;
  return static_cast<double>(static_cast<std::int64_t>(arg.integer));
}

const char* Text(const FormatArg& arg) {
  return (arg.kind == FormatArg::Kind::Text && arg.text) ? arg.text : "";
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

// The sign takes the place of the last padding space before the field's
// first non-space; a field that starts with a non-space has no room for it.
void PlaceSign(char* field, char sign) {
  std::size_t first = 0;
  while (field[first] == ' ') ++first;
  if (first > 0) field[first - 1] = sign;
}

// Fixed-width decimal of a value of up to 64 bits, shared by the 32- and
// 64-bit forms. Divisors past 10^19 cannot occur in 64 bits: pure padding.
void FixedDecimal(char* buffer, std::uint64_t value, int width, int zeroPad) {
  if (width < 0) width = 0;
  const char pad = zeroPad ? '0' : ' ';
  std::uint64_t divisor = 1;
  bool divisorValid = true;
  for (int i = width - 1; i >= 0; --i) {
    if (divisorValid && value >= divisor)
      buffer[i] = kDecimalDigits[(value / divisor) % 10];
    else
      buffer[i] = pad;
    if (divisor > UINT64_MAX / 10) divisorValid = false;
    divisor *= 10;
  }
  if (width > 0 && value == 0) buffer[width - 1] = '0';
  buffer[width] = '\0';
}

void VariableDecimal(char* buffer, std::uint64_t value, std::uint64_t startDivisor) {
  if (value == 0) {
    buffer[0] = '0';
    buffer[1] = '\0';
    return;
  }
  std::uint64_t divisor = startDivisor;
  while (divisor > value) divisor /= 10;
  std::size_t n = 0;
  for (; divisor > 0; divisor /= 10) buffer[n++] = kDecimalDigits[(value / divisor) % 10];
  buffer[n] = '\0';
}

// Space-padded to the width when there is one, else as many digits as needed.
void PlainDecimal(char* field, std::uint64_t value, int width, std::uint64_t startDivisor) {
  if (width)
    FixedDecimal(field, value, width, 0);
  else
    VariableDecimal(field, value, startDivisor);
}

void FixedRadix(char* buffer, std::uint32_t value, int width, unsigned bits, const char* digits) {
  if (width < 0) width = 0;
  std::uint64_t multiplier = 1;
  for (int i = width - 1; i >= 0; --i) {
    if (multiplier <= 0xFFFFFFFFu && value >= multiplier)
      buffer[i] = digits[(value / multiplier) & ((1u << bits) - 1)];
    else
      buffer[i] = '0';
    if (multiplier <= 0xFFFFFFFFu) multiplier <<= bits;
  }
  buffer[width] = '\0';
}

struct Conversion {
  char letter = 0;  // lower-case form
  bool fullWidth = false;
  char sign = 0;  // '+', '-' or 0
  int width = 0;
  int precision = 0;
};

bool IsNumberLetter(char letter) { return std::strchr("duzxotf", letter) != nullptr; }

// Sign character for a signed conversion, or 0 for none.
char SignFor(const Conversion& c, bool negative) {
  if (c.sign == '+') return negative ? '-' : '+';
  if (c.sign == '-') return negative ? '-' : (c.width ? ' ' : 0);
  return 0;
}

void EmitField(Sink& sink, const char* field, bool fullWidth) {
  if (fullWidth)
    StreamFullWidth(sink, field, SIZE_MAX);
  else
    sink.PutText(field);
}

void EmitConversion(Sink& sink, const Conversion& c, std::span<const FormatArg> args, std::size_t& next) {
  // Widths and precisions are at most two digits, so 256 bytes hold any field.
  char field[256] = {};
  switch (c.letter) {
    case 'c':
      sink.Put(static_cast<char>(Word(ArgAt(args, next)) & 0xFF));
      return;
    case 'd': {
      std::int32_t value = static_cast<std::int32_t>(Word(ArgAt(args, next)));
      bool negative = value < 0;
      std::uint32_t magnitude = negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
      char sign = SignFor(c, negative);
      if (c.width) {
        FixedDecimal(field, magnitude, c.width, 0);
        if (sign) PlaceSign(field, sign);
      } else {
        if (sign) sink.Put(sign);  // stays single-byte even for D
        PlainDecimal(field, magnitude, 0, 1000000000u);
      }
      break;
    }
    case 'u':
      PlainDecimal(field, Word(ArgAt(args, next)), c.width, 1000000000u);
      break;
    case 'z': {
      std::uint32_t value = Word(ArgAt(args, next));
      if (c.width) FixedDecimal(field, value, c.width, 1);
      break;
    }
    case 'x':
      FixedRadix(field, Word(ArgAt(args, next)), c.width, 4, kHexDigits);
      break;
    case 'o':
      FixedRadix(field, Word(ArgAt(args, next)), c.width, 3, kOctalDigits);
      break;
    case 't':
      PlainDecimal(field, Word64(ArgAt(args, next)), c.width, 10000000000000000000ull);
      break;
    case 'f': {
      double value = Real(ArgAt(args, next));
      FormatFloat(field, value, c.width, c.precision);
      if (char sign = SignFor(c, value < 0)) PlaceSign(field, sign);
      break;
    }
    case 's': {
      const char* text = Text(ArgAt(args, next));
      if (!c.width) {
        sink.PutText(text);
        return;
      }
      std::size_t length = StrLength(text);
      for (int i = 0; i < c.width; ++i) sink.Put(static_cast<std::size_t>(i) < length ? text[i] : ' ');
      return;
    }
    case 'S': {
      const char* text = Text(ArgAt(args, next));
      if (!c.width) {
        StreamFullWidth(sink, text, SIZE_MAX);
        return;
      }
      const std::size_t limit = 2 * static_cast<std::size_t>(c.width);
      std::size_t before = sink.Position();
      StreamFullWidth(sink, text, limit);
      for (std::size_t used = sink.Position() - before; used < limit && sink.Room() >= 1; ++used) sink.Put(' ');
      return;
    }
    default:
      return;
  }
  EmitField(sink, field, c.fullWidth);
}

}  // namespace

void FormatTextArgs(char* out, std::size_t capacity, const char* format, std::span<const FormatArg> args) {
  Sink sink(out, capacity);
  std::size_t next = 0;
  const char* p = format;
  while (*p) {
    if (*p != '%') {
      sink.Put(*p++);
      continue;
    }
    ++p;  // past '%'
    if (!*p) break;  // a trailing '%' ends the text
    char letter = *p++;
    if (letter == '%') {
      sink.Put('%');
      continue;
    }
    if (letter == 'r') {
      sink.SkipToNul();
      continue;
    }
    if (letter == 'l') {
      // Accepted before the integer letters; before anything else both
      // letters print nothing.
      if (*p && std::strchr("dDuUxXoO", *p)) {
        letter = *p++;
      } else {
        if (*p) ++p;
        continue;
      }
    }
    Conversion c;
    c.fullWidth = IsUpper(letter) && letter != 'S';
    c.letter = letter == 'S' ? 'S' : Lower(letter);
    if (IsNumberLetter(c.letter)) {
      if (*p == '+' || *p == '-') {
        // Only d and f use the flag; the other number letters skip it.
        if (c.letter == 'd' || c.letter == 'f') c.sign = *p;
        ++p;
      }
    }
    if (IsNumberLetter(c.letter) || c.letter == 's' || c.letter == 'S') c.width = ReadWidthDigits(p);
    if (c.letter == 'f' && *p == '.') {
      ++p;
      c.precision = ReadWidthDigits(p);
    }
    if (c.letter == 'c' && IsUpper(letter)) continue;  // 'C' is no conversion
    EmitConversion(sink, c, args, next);
  }
  sink.Finish();
}

int ReadWidthDigits(const char*& position) {
  int value = 0;
  for (int i = 0; i < 2 && *position >= '0' && *position <= '9'; ++i, ++position) value = value * 10 + (*position - '0');
  return value;
}

int ToFullWidth(char* out, std::size_t outCapacity, const char* text) {
  Sink sink(out, outCapacity);
  int converted = StreamFullWidth(sink, text, SIZE_MAX);
  sink.Finish();
  return converted;
}

void FormatFixedDecimal(char* buffer, std::uint32_t value, int width, int zeroPad) {
  FixedDecimal(buffer, value, width, zeroPad);
}

void FormatFixedDecimal64(char* buffer, std::uint64_t value, int width, int zeroPad) {
  FixedDecimal(buffer, value, width, zeroPad);
}

void FormatDecimal(char* buffer, std::uint32_t value) { VariableDecimal(buffer, value, 1000000000u); }

void FormatDecimal64(char* buffer, std::uint64_t value) {
  VariableDecimal(buffer, value, 10000000000000000000ull);
}

void FormatHex(char* buffer, std::uint32_t value, int width) { FixedRadix(buffer, value, width, 4, kHexDigits); }

void FormatOctal(char* buffer, std::uint32_t value, int width) {
  FixedRadix(buffer, value, width, 3, kOctalDigits);
}

void FormatFloat(char* buffer, double value, int width, int precision) {
  if (value < 0) value = -value;
  // Integer parts beyond 32 bits are never formatted by the system; they
  // saturate rather than overflow.
  std::uint32_t integerPart = value >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
  FixedDecimal(buffer, integerPart, width, 0);
  if (width > 0 && integerPart == 0) buffer[width - 1] = '0';
  buffer[width] = '.';
  // The fraction is truncated, never rounded. Up to 19 digits fit a 64-bit
  // integer; further positions are zeros.
  double scale = 1.0;
  int scaled = precision < 19 ? precision : 19;
  for (int i = 0; i < scaled; ++i) scale *= 10.0;
  double product = (value - integerPart) * scale;
  std::uint64_t fraction = product >= 1.8e19 ? 0 : static_cast<std::uint64_t>(product);
  char* digits = buffer + width + 1;
  for (int i = precision - 1; i >= 0; --i) {
    if (i < scaled) {
      digits[i] = kDecimalDigits[fraction % 10];
      fraction /= 10;
    } else {
      digits[i] = '0';
    }
  }
  digits[precision] = '\0';
}
