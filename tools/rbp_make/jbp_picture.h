// The colour of a source picture as a "JBP1" record, coded by the movie
// converter's frame coder so stills and movie frames share one coding.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/rbp_make/rbp_writer.h"

// The record of the picture's colour at JPEG quality 1..100 (alpha ignored).
// Throws std::invalid_argument for a quality out of range or a picture the
// coder refuses.
std::vector<std::uint8_t> CodeJbpPictureRecord(const SourcePicture& picture, int quality);
