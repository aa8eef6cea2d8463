// Signals and measures for tests of sound conversion and encoding: test
// tones, 16-bit PCM to and from bytes, levels, and outside tools run as
// oracles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pcm_signal {

// Interleaved 16-bit samples: channel c holds a sine of frequencies[c] at
// amplitude (full scale 1.0).
std::vector<std::int16_t> Tones(const std::vector<double>& frequencies, int rate, std::size_t frames,
                                double amplitude);
std::vector<std::uint8_t> Bytes(const std::vector<std::int16_t>& samples);
std::vector<std::int16_t> Samples(const std::vector<std::uint8_t>& bytes);

// One channel of interleaved samples.
std::vector<double> Channel(const std::vector<std::int16_t>& interleaved, int channels, int channel);
// The level of a frequency in a signal (Goertzel), in dB of full scale for a sine.
double ToneLevelDb(const std::vector<double>& signal, int rate, double frequency);
// Signal to difference ratio in dB over the common length, reference shifted
// by `lag` samples (ours[i] against reference[i - lag]).
double SnrDb(const std::vector<double>& ours, const std::vector<double>& reference, long lag = 0);
// The lag (0 to maxLag) at which ours best matches reference.
long BestLag(const std::vector<double>& ours, const std::vector<double>& reference, long maxLag);

// Runs a shell command; true when it exits with 0.
bool Run(const std::string& command);
// A command's standard output.
std::string Output(const std::string& command);

}  // namespace pcm_signal
