// INI-style settings files ("pelmo.cfg"): the file is read once into a list of
// lines, values are looked up and changed in that list, and FlushProfile
// writes it back. One file is cached at a time.
//
// Syntax: a line whose first byte is '[' opens a section (its name is the text
// up to ']' without blanks); a line holding '=' is a key line (key before the
// first '=' without blanks, value after it); other lines are kept as they are.
// Lines before the first section belong to the section "". Names compare with
// ASCII letters case-blind. Lines end with CR LF or LF alone; a file is
// written back with the line ends it was read with.
#pragma once

#include <cstdint>

// Forgets the cached file without writing it (start-up).
void ClearProfileCache();
// The key's value parsed by ParseInt, or defaultValue when the key is missing
// or its value is empty.
std::int32_t ReadProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                            const char* path);
// out (maxLength + 1 bytes) receives the default, or the key's value (quoted
// runs unquoted) when it is non-empty and at most maxLength bytes long.
// Returns the length of the text left in out.
int ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                      int maxLength, const char* path);
// Sets key = value in the cached list, adding the section at the end and the
// key right after its section line when missing. Returns 1.
int WriteProfileValue(const char* section, const char* key, const char* value, const char* path);
// Writes the cached lines over the file when a value changed (each line
// followed by the file's line end; CR LF for a new file), through a
// temporary file flushed to the medium before it replaces the file; then
// empties the cache. An unchanged or empty list writes nothing. Returns 0
// when the file could not be replaced (it is then left as it was, and one
// line on standard error names the step that failed).
int FlushProfile();
