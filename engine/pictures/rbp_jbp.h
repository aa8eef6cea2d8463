// The picture of a ".rbp" file of kind 30 or 32, decoded from its embedded
// "JBP1" record.
#pragma once

#include <cstddef>
#include <cstdint>

// A new local-heap block whose first width x height RGB565 values are the
// picture, rows packed (the block may run on past them). Null when the record
// is damaged, describes a picture of another size, or memory runs out.
std::uint16_t* DecodeRbpJbpRecord(const std::uint8_t* record, std::size_t length, std::uint32_t width,
                                  std::uint32_t height);
