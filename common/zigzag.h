// The zigzag scan of an 8 x 8 coefficient block shared by JPEG, MPEG-1 video
// and the JBP1 record: the natural (row-major) index of the coefficient at
// zigzag position k. Sixteen extra entries of 63 keep a decoder whose run
// passes the last coefficient inside its block.
#pragma once

#include <cstdint>

extern const std::uint8_t kZigzagToNatural[64 + 16];
