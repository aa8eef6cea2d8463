// Byte-string functions that know the Shift-JIS double-byte rule: a lead byte
// (0x81-0x9F, 0xE0-0xFC) and the byte after it form one character, so a
// trail byte that happens to equal '\' or a delimiter is never taken for one.
// Every function stops at the terminating NUL, even right after a lead byte.
#pragma once

#include <cstddef>
#include <cstdint>

// Inline: the script tokenizer asks it of every byte it reads.
inline int IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? 1 : 0;
}
// Bytes before the NUL.
std::size_t StrLength(const char* s);
// Copies src with its NUL into dst, cutting it to fit dstCapacity bytes
// (a cut never splits a double-byte character). dstCapacity 0 writes nothing.
void StrCopy(char* dst, std::size_t dstCapacity, const char* src);
// Appends src to the text already in dst (capacity counts the whole buffer)
// and returns a pointer to the new terminating NUL.
char* StrAppend(char* dst, std::size_t dstCapacity, const char* src);
// The last single-byte character equal to c, never inside a double-byte
// character; null when there is none.
const char* StrFindLast(const char* s, char c);
char* StrFindLast(char* s, char c);
// Copies one token of src into dst (at most dstCapacity - 1 bytes, always
// NUL-terminated) up to the first byte found in delimiters or the NUL. A
// double-quoted run is copied as it stands (delimiters and blanks included)
// without its quotes; with skipBlanks, spaces, tabs and CR LF pairs outside
// quotes are dropped. Returns the position in src where the copy stopped.
const char* StrCopyToken(const char* src, char* dst, std::size_t dstCapacity, const char* delimiters,
                         int skipBlanks);
// 1 when equal, ASCII letters compared without case; double-byte characters
// (full-width letters too) must match exactly.
int StrEqualNoCase(const char* a, const char* b);
// Decimal (read from the right; every character takes one decimal place) or
// "0x" hexadecimal. Returns the sign code: 1 for a leftmost '-', 0 for a
// leftmost '+', -1 when there is no sign (always for hexadecimal).
int ParseInt(const char* text, int* value);

template <std::size_t N>
void StrCopy(char (&dst)[N], const char* src) {
  StrCopy(dst, N, src);
}
template <std::size_t N>
char* StrAppend(char (&dst)[N], const char* src) {
  return StrAppend(dst, N, src);
}
