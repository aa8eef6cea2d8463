// The reference every raster benchmark is measured beside: the same number
// of bytes moved by memcpy.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

inline void RunMemcpyFloor(benchmark::State& state, std::size_t bytes) {
  std::vector<std::uint8_t> source(bytes, 1);
  std::vector<std::uint8_t> target(bytes);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), bytes);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
