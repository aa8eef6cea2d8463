// What the processor offers beyond the build's SSE2 baseline, asked once, so
// the kernels with AVX2 or AVX-512 forms can choose them at run time.
#pragma once

inline bool ProcessorHasAvx2() {
#if defined(__SSE2__)
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

// The 512-bit forms use 16-bit lanes, so they need the byte-and-word set
// beside the foundation.
inline bool ProcessorHasAvx512() {
#if defined(__SSE2__)
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has;
#else
  return false;
#endif
}
