// Small SSE2 helpers shared by the vector kernels.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstdint>

#include "common/sse2_transpose.h"

namespace sse2_util {

inline __m128i load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }

}  // namespace sse2_util

#endif
