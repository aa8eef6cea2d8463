// The open-file dialog. No window is shown here: a pluggable chooser answers
// (by default from a queue tests fill with paths and cancels), and each
// call's fields are recorded.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/window/window_api.h"

inline constexpr DWORD OFN_LONGNAMES = 0x00200000u;

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  const char* lpstrFilter;  // pairs of NUL-terminated texts, ended by an empty one
  char* lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;  // 1-based
  char* lpstrFile;
  DWORD nMaxFile;
  char* lpstrFileTitle;
  DWORD nMaxFileTitle;
  const char* lpstrInitialDir;
  const char* lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  const char* lpstrDefExt;
};

// Fills lpstrFile (and lpstrFileTitle) with the chosen path; FALSE when the
// user cancels or the path does not fit.
BOOL GetOpenFileNameA(OPENFILENAMEA* dialog);

// What a call asked for.
struct FileChooserCall {
  HWND owner;
  std::vector<std::string> filter;  // the filter texts in order
  DWORD filterIndex;
  DWORD maxFile;
  DWORD maxFileTitle;
  DWORD flags;
  std::string defaultExtension;
};

// A chooser gives the chosen path (Shift-JIS) or nothing for a cancel.
using FileChooser = std::function<std::optional<std::string>(const FileChooserCall& call)>;
// Null restores the queue.
void HostSetFileChooser(FileChooser chooser);
// The queue's answers, in order; an empty queue cancels.
void HostQueueFileChoice(const std::string& shiftJisPath);
void HostQueueFileChoiceCancel();
// The calls so far, which are then forgotten.
std::vector<FileChooserCall> HostTakeFileChooserCalls();
