// PNG files read as pictures for the ".rbp" maker.
#pragma once

#include <string>

#include "tools/rbp_make/rbp_writer.h"

// Reads path as RGBA; a palette PNG also gives its indexes and colours.
// false with a message in error when the file cannot be read.
bool ReadPngPicture(const std::string& path, SourcePicture& picture, std::string& error);
