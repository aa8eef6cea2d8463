// UTF-8 forms of the platform's UTF-16 texts, for logs, titles and dialogs.
#pragma once

#include <string>

#include "host/base/win_types.h"

std::string Utf8FromWide(LPCWSTR text);
