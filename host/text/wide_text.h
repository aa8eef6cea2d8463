// UTF-8 forms of the platform's UTF-16 texts, for logs, titles and dialogs,
// and Shift-JIS forms of the host's UTF-8 names.
#pragma once

#include <string>

#include "host/base/win_types.h"

std::string Utf8FromWide(LPCWSTR text);
// The Shift-JIS (code page 932) form of a UTF-8 text; false when the text is
// not UTF-8 or holds a character code page 932 lacks.
bool ShiftJisFromUtf8(const std::string& text, std::string* out);
