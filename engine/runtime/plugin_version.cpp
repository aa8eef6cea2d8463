#include "engine/runtime/plugin_version.h"

#include "common/sjis_string.h"

namespace {
char oggPluginVersion[128];
}

void SetOggPluginVersion(const char* text) { StrCopy(oggPluginVersion, text); }

void GetOggPluginVersion(char* out, std::size_t outCapacity) { StrCopy(out, outCapacity, oggPluginVersion); }
