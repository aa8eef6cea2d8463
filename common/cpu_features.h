// What the processor offers beyond the build's SSE2 baseline, asked once, so
// the kernels with AVX2 forms can choose them at run time.
#pragma once

inline bool ProcessorHasAvx2() {
#if defined(__SSE2__)
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}
