// Movie and sound-track names: the same name with another extension.
#pragma once

#include <string>

// path with the text from its last '.' replaced by extension (which may be
// empty), or with extension appended when there is none. Only a '.' after
// the last '\' or '/' counts, so a folder such as "data.v2\" stays whole.
// Shift-JIS aware: a trail byte is never taken for a '.' or separator.
std::string WithExtension(const std::string& path, const char* extension);
// The part after the last '/' (the whole name when there is none).
std::string AfterLastSlash(const std::string& name);
