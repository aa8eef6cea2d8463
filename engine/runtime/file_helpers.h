// Whole-file and ranged file access for Shift-JIS paths, over the platform's
// wide-character file calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/base/win_types.h"

// text converted with the system code page into a shared static buffer of
// 2,048 units; valid until the next call of this or of WriteFileAt.
const WCHAR* AnsiToWideStatic(const char* text);
// Size in bytes (low 32 bits), or -1 when the path is not found.
std::int32_t QueryFileSize(const char* path);
int FileExists(const char* path);
// origin 0, 1, 2: seek from the beginning, the current position, the end by
// offset; any other origin reads from the start. Returns bytes read; 0 when
// the file cannot be opened.
std::uint32_t ReadFileRange(const char* path, void* buffer, int origin, std::int32_t offset,
                            std::uint32_t count);
// A new local-heap block of size + extra bytes holding the whole file (the
// extra bytes are not initialised), or null when the file is missing, cannot
// be read in full or memory runs out. Free it with LocalFree.
void* ReadWholeFile(const char* path, std::uint32_t* size, std::uint32_t extra);
// createNew 1 replaces the file, else it is opened or created. Returns bytes
// written; 0 when the file cannot be opened.
std::uint32_t WriteFileAt(const char* path, const void* data, int origin, std::int32_t offset,
                          std::uint32_t count, int createNew);
// Replaces the file's contents with count bytes as one step: they are
// written to path + ".tmp", flushed to the medium and moved over the file, so
// a failed write or a power cut leaves the old file or the new, never an
// empty or partial one. Returns 1 on success; on failure the file is as it
// was and the temporary file is gone. failedStep (if given) receives the
// step that failed ("writing the temporary file", ...), or null.
int ReplaceWholeFile(const char* path, const void* data, std::uint32_t count, const char** failedStep = nullptr);
