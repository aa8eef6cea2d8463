#include "pcm_signal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>

namespace pcm_signal {

std::vector<std::int16_t> Tones(const std::vector<double>& frequencies, int rate, std::size_t frames,
                                double amplitude) {
  const std::size_t channels = frequencies.size();
  std::vector<std::int16_t> samples(frames * channels);
  for (std::size_t i = 0; i < frames; ++i) {
    for (std::size_t c = 0; c < channels; ++c) {
      const double value = amplitude * std::sin(2 * M_PI * frequencies[c] * static_cast<double>(i) / rate);
      samples[i * channels + c] = static_cast<std::int16_t>(std::lround(value * 32767));
    }
  }
  return samples;
}

std::vector<std::uint8_t> Bytes(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes(samples.size() * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(samples[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<std::uint8_t>((samples[i] >> 8) & 0xFF);
  }
  return bytes;
}

std::vector<std::int16_t> Samples(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int16_t> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return samples;
}

std::vector<double> Channel(const std::vector<std::int16_t>& interleaved, int channels, int channel) {
  std::vector<double> out;
  out.reserve(interleaved.size() / static_cast<std::size_t>(channels));
  for (std::size_t i = static_cast<std::size_t>(channel); i < interleaved.size(); i += static_cast<std::size_t>(channels)) {
    out.push_back(interleaved[i] / 32768.0);
  }
  return out;
}

double ToneLevelDb(const std::vector<double>& signal, int rate, double frequency) {
  const double w = 2 * M_PI * frequency / rate;
  const double coefficient = 2 * std::cos(w);
  double s1 = 0;
  double s2 = 0;
  for (double x : signal) {
    const double s0 = x + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
  const double amplitude = 2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(signal.size());
  return 20 * std::log10(std::max(amplitude, 1e-12));
}

double SnrDb(const std::vector<double>& ours, const std::vector<double>& reference, long lag) {
  double signal = 0;
  double noise = 0;
  for (long i = std::max(0L, lag); i < static_cast<long>(ours.size()); ++i) {
    const long j = i - lag;
    if (j >= static_cast<long>(reference.size())) break;
    signal += reference[static_cast<std::size_t>(j)] * reference[static_cast<std::size_t>(j)];
    const double d = ours[static_cast<std::size_t>(i)] - reference[static_cast<std::size_t>(j)];
    noise += d * d;
  }
  return 10 * std::log10(signal / std::max(noise, 1e-30));
}

long BestLag(const std::vector<double>& ours, const std::vector<double>& reference, long maxLag) {
  long best = 0;
  double bestScore = -1e300;
  const long span = std::min<long>(static_cast<long>(reference.size()), 1L << 16);
  for (long lag = 0; lag <= maxLag; ++lag) {
    double score = 0;
    for (long j = 0; j < span && j + lag < static_cast<long>(ours.size()); ++j) {
      score += ours[static_cast<std::size_t>(j + lag)] * reference[static_cast<std::size_t>(j)];
    }
    if (score > bestScore) {
      bestScore = score;
      best = lag;
    }
  }
  return best;
}

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof(buffer), pipe)) text += buffer;
    pclose(pipe);
  }
  return text;
}

}  // namespace pcm_signal
