// Shift-JIS full-width forms of the single-byte characters 0x20-0x7F and
// 0xA0-0xDF, as two-byte codes (lead byte high). The table keeps the
// system's own choices at 0x22, 0x27, 0x2D, 0x5C and 0x7E.
#pragma once

#include <cstdint>

// Full-width code for a byte, or 0 when the byte is not converted.
std::uint16_t FullWidthCode(unsigned char byte);
