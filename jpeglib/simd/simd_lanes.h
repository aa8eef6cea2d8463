// Scalar models of the 16-bit lane operations the SIMD kernels are built
// from, so the portable forms compute exactly what the vector forms do.
#pragma once

#include <algorithm>
#include <cstdint>

namespace simd_lanes {

// Two's-complement wrap to 16 bits (paddw, psubw, psllw).
inline std::int16_t wrap(std::int32_t value) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(value)); }

// Saturating add and subtract (paddsw, psubsw) and the saturating narrowing
// of 32-bit values (packssdw).
inline std::int16_t saturate(std::int32_t value) {
  return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}
inline std::int16_t adds(std::int16_t a, std::int16_t b) { return saturate(a + b); }
inline std::int16_t subs(std::int16_t a, std::int16_t b) { return saturate(a - b); }

// Logical left shift within the lane (psllw).
inline std::int16_t shl(std::int16_t a, int bits) { return wrap(static_cast<std::uint16_t>(a) << bits); }

// High 16 bits of the signed 32-bit product (pmulhw).
inline std::int16_t mulhi(std::int16_t a, std::int16_t b) { return static_cast<std::int16_t>((a * b) >> 16); }

// 32-bit wrapping sum (paddd) of a product pair (pmaddwd).
inline std::int32_t wrap32(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

}  // namespace simd_lanes
