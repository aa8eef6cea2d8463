#include "game/script/script_tokenizer.h"

#include <algorithm>

#include "common/sjis_string.h"
#include "game/script/script_command.h"

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// Appends to a NUL-terminated buffer; once a piece does not fit, the rest of
// the token is dropped so that a double-byte character is never split.
class TokenWriter {
 public:
  TokenWriter(char* out, std::size_t capacity) : out_(out), capacity_(capacity) { out_[0] = '\0'; }

  void Put(const char* bytes, std::size_t count) {
    if (full_ || length_ + count >= capacity_) {
      full_ = true;
      return;
    }
    std::copy(bytes, bytes + count, out_ + length_);
    length_ += count;
    out_[length_] = '\0';
  }
  // Bytes a piece may still have; 0 once a piece was dropped.
  std::size_t Room() const { return full_ ? 0 : capacity_ - 1 - length_; }

 private:
  char* out_;
  std::size_t capacity_;
  std::size_t length_ = 0;
  bool full_ = false;
};

bool IsLead(char byte) { return IsSjisLeadByte(static_cast<unsigned char>(byte)) != 0; }

// Width of the character at position: 2 for a lead byte with its follower
// inside the script, else 1.
std::uint32_t CharWidth(ScriptBytes script, std::uint32_t position) {
  return (IsLead(script[position]) && position + 1 < script.size()) ? 2 : 1;
}

// A comment runs to the end of its line; the line end goes with it.
std::uint32_t SkipComment(ScriptBytes script, std::uint32_t position) {
  const std::uint32_t size = static_cast<std::uint32_t>(script.size());
  while (position < size && script[position] != kCr &&
         !(position + 1 < size && script[position + 1] == kLf)) {
    ++position;
  }
  return std::min(position + 2, size);
}

// Blanks, tabs, CR (with its LF) and comments between tokens. A lone LF is not
// skipped: it begins message text.
std::uint32_t SkipSeparators(ScriptBytes script, std::uint32_t position) {
  const std::uint32_t size = static_cast<std::uint32_t>(script.size());
  while (position < size) {
    const char byte = script[position];
    if (byte == ' ' || byte == '\t') {
      ++position;
    } else if (byte == kCr) {
      ++position;
      if (position < size && script[position] == kLf) ++position;
    } else if (byte == '/' && position + 1 < size && script[position + 1] == '/') {
      position = SkipComment(script, position);
    } else {
      break;
    }
  }
  return position;
}

// From '<' up to and including the first '>' that is not followed by '='.
// The tag is measured first and written in one piece: the whole characters
// that fit.
std::uint32_t ReadTag(ScriptBytes script, std::uint32_t position, TokenWriter& out) {
  const std::uint32_t size = static_cast<std::uint32_t>(script.size());
  const std::uint32_t start = position++;
  const std::size_t room = out.Room();
  std::uint32_t fitting = room >= 1 ? position : start;
  while (position < size) {
    const std::uint32_t width = CharWidth(script, position);
    const char byte = script[position];
    position += width;
    if (position - start <= room) fitting = position;
    if (width == 1 && byte == '>' && !(position < size && script[position] == '=')) break;
  }
  out.Put(&script[start], fitting - start);
  if (fitting != position) out.Put(&script[fitting], position - fitting);
  return position;
}

// From '[' up to and including the first ']' byte, even a double-byte
// character's second byte.
std::uint32_t ReadLabel(ScriptBytes script, std::uint32_t position, TokenWriter& out) {
  const std::uint32_t size = static_cast<std::uint32_t>(script.size());
  while (position < size) {
    const char byte = script[position];
    out.Put(&script[position++], 1);
    if (byte == ']') break;
  }
  return position;
}

bool IsLineBreakTag(ScriptBytes script, std::uint32_t position, std::uint32_t* after) {
  char tag[kTokenCapacity];
  TokenWriter writer(tag, sizeof tag);
  *after = ReadTag(script, position, writer);
  ParsedCommand command;
  ParseCommandTag(tag, command);
  return LookupCommand(command.name) == OP_CR;
}

// Message text runs to the next tag other than <CR>. Labels, comments and NUL
// bytes inside it are text.
std::uint32_t ReadText(ScriptBytes script, std::uint32_t position, TokenWriter& out) {
  const std::uint32_t size = static_cast<std::uint32_t>(script.size());
  while (position < size) {
    const char byte = script[position];
    if (byte == '<') {
      std::uint32_t after = 0;
      if (!IsLineBreakTag(script, position, &after)) break;
      out.Put("/", 1);  // the message window's line break
      position = after;
    } else if (byte == kCr) {
      ++position;
      if (position < size && script[position] == kLf) ++position;
    } else {
      const std::uint32_t width = CharWidth(script, position);
      out.Put(&script[position], width);
      position += width;
    }
  }
  return position;
}

}  // namespace

std::uint32_t ReadNextToken(ScriptBytes script, std::uint32_t position, char* out,
                            std::size_t outCapacity) {
  TokenWriter writer(out, outCapacity);
  const std::uint32_t size = static_cast<std::uint32_t>(script.size());
  position = SkipSeparators(script, std::min(position, size));
  if (position >= size) return size;
  switch (script[position]) {
    case '<':
      return ReadTag(script, position, writer);
    case '[':
      return ReadLabel(script, position, writer);
    default:
      return ReadText(script, position, writer);
  }
}
