// Files, directories and read-only file mapping.
//
// Paths arrive as the engine writes them: UTF-16 (or Shift-JIS bytes for the
// narrow calls) with '\' separators. The layer turns them into UTF-8 Linux
// paths with '/' and, like the devices' file systems, finds each path
// component without regard to ASCII case when the exact name is missing (a
// unique entry equal but for ASCII case stands in; otherwise the name stays
// as given, so new files get it). A path starting with '\' is absolute, any
// other is relative to the working folder.
#pragma once

#include <string>

#include "host/base/win_types.h"

inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;

inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000u;
inline constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;

inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;

inline constexpr DWORD PAGE_READONLY = 0x02;
inline constexpr DWORD FILE_MAP_READ = 0x0004;

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  WCHAR cFileName[MAX_PATH];
};

struct SECURITY_ATTRIBUTES;

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                   DWORD creation, DWORD flags, HANDLE templateFile);
// The converter's narrow variant: the path is Shift-JIS bytes.
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                   DWORD creation, DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
               void* overlapped);
// Waits until the file's data is on the medium (fsync).
BOOL FlushFileBuffers(HANDLE file);
// Returns the new low 32 bits of the position, or INVALID_SET_FILE_POINTER.
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
// Closes files, mapping objects and find handles alike.
BOOL CloseHandle(HANDLE object);

// Finds the one path named (no wildcards are needed by our callers).
HANDLE FindFirstFileW(LPCWSTR path, WIN32_FIND_DATAW* found);
BOOL FindClose(HANDLE find);
BOOL CreateDirectoryW(LPCWSTR path, SECURITY_ATTRIBUTES* security);
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);
BOOL DeleteFileW(LPCWSTR path);
// Unlike the platform call, replaces an existing target in one step, so a
// file written beside its final name can take its place atomically; the
// folder is synced after the rename, so the move itself survives a power cut.
BOOL MoveFileW(LPCWSTR from, LPCWSTR to);

// Read-only mapping: CreateFileForMappingW opens the file, CreateFileMappingW
// makes the mapping object, MapViewOfFile gives the bytes (bytes 0 = to the
// end of the mapping). An empty file cannot be mapped: CreateFileMappingW
// returns null with ERROR_FILE_INVALID. Views stay valid until
// UnmapViewOfFile, even after the mapping and file handles are closed.
HANDLE CreateFileForMappingW(LPCWSTR path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                             DWORD creation, DWORD flags, HANDLE templateFile);
HANDLE CreateFileMappingW(HANDLE file, SECURITY_ATTRIBUTES* security, DWORD protect,
                          DWORD sizeHigh, DWORD sizeLow, LPCWSTR name);
void* MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
BOOL UnmapViewOfFile(const void* view);

// Host helpers (not platform calls): the Linux path a platform path resolves
// to, finding existing components without regard to case; and the reverse,
// for tests and tools that make files the engine then opens (it keeps the
// separators as they are). Both give an empty string when the text does not
// convert.
std::string HostPathFromWide(LPCWSTR path);
std::string HostPathFromShiftJis(LPCSTR path);
std::u16string HostWideFromUtf8(const std::string& text);
