// The ratio of a benchmarked path to its peer, both timed in the same run:
// the median over several batches of the process CPU time per call, which
// other work on a loaded machine disturbs less than wall time.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

template <typename Work>
double MedianCpuSecondsPerCall(Work&& work, int batches = 15, int callsPerBatch = 20) {
  std::vector<double> seconds;
  for (int b = 0; b < batches; ++b) {
    const std::clock_t start = std::clock();
    for (int c = 0; c < callsPerBatch; ++c) work();
    seconds.push_back(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / callsPerBatch);
  }
  std::nth_element(seconds.begin(), seconds.begin() + batches / 2, seconds.end());
  return seconds[static_cast<std::size_t>(batches / 2)];
}

// Sets the counter "x_peer": how many times the peer's time ours takes.
template <typename Ours, typename Peer>
void ReportPeerRatio(benchmark::State& state, Ours&& ours, Peer&& peer, int callsPerBatch = 20) {
  const double peerSeconds = MedianCpuSecondsPerCall(peer, 15, callsPerBatch);
  const double ourSeconds = MedianCpuSecondsPerCall(ours, 15, callsPerBatch);
  state.counters["x_peer"] = peerSeconds > 0 ? ourSeconds / peerSeconds : 0;
}
