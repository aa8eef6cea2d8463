// Scripts as entries of the script archive ("script.mlz"): the engine
// object's ScriptServices::ReadScript reads them through this.
#pragma once

#include <vector>

#include "engine/archive/archive_reader.h"

// The whole entry of that name; false when the archive or the entry cannot
// be read.
bool ReadScriptFromArchive(CArchiveReader& reader, const char* archivePath, const char* name,
                           std::vector<char>& bytes);
