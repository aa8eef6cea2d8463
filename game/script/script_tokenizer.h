// Cuts a script's Shift-JIS text into tokens: tags ("<...>"), labels
// ("[...]") and message text, skipping blanks, line ends and "//" comments.
// A script is the archive entry's bytes as they stand, with no terminating
// NUL: every scan stops at the end of the span.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

using ScriptBytes = std::span<const char>;

// Tags and labels are at most 255 bytes; the interpreter reads message text
// into a larger buffer. Longer tokens are cut to fit out.
inline constexpr std::size_t kTokenCapacity = 256;
inline constexpr std::size_t kTextTokenCapacity = 512;

// Reads the token at position into out (NUL-terminated, at most
// outCapacity - 1 bytes) and returns where the next token starts: after the
// closing bracket of a tag or label, or at the '<' of the tag that ends a
// message text. Inside text a <CR> tag becomes '/' and a CR LF vanishes. At
// the end of the script out is empty and the script's size is returned.
std::uint32_t ReadNextToken(ScriptBytes script, std::uint32_t position, char* out,
                            std::size_t outCapacity);
