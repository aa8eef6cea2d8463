// LZSS compressor for ".mlz" archive entries: produces exactly the stream the
// engine's archive reader unpacks (flag bytes bit 0 first, set = literal,
// clear = two-byte match naming a position in the 2,048-byte ring).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<std::uint8_t> CompressLzss(const std::uint8_t* data, std::size_t size);
