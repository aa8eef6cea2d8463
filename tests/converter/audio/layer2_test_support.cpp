#include "tests/converter/audio/layer2_test_support.h"

#include <cmath>

#include "converter/audio/layer2_decoder.h"

using reelpack::ClearSynthesisState;
using reelpack::DecodeFrame;
using reelpack::FindLayer2Header;
using reelpack::MpegAudioHeader;
using reelpack::SynthesisState;
using reelpack::kLayer2FramePcmBytes;

namespace layer2_test {

std::string FixturePath(const std::string& name) { return std::string(NOVEL_TEST_DATA_DIR) + "/layer2/" + name; }

std::vector<std::int16_t> Samples(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int16_t> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return samples;
}

std::vector<std::int16_t> DecodeElementaryStream(const std::vector<std::uint8_t>& data,
                                                 const reelpack::Layer2Forms& forms) {
  SynthesisState state;
  ClearSynthesisState(&state);
  std::vector<std::uint8_t> pcm;
  MpegAudioHeader header;
  std::size_t position = 0;
  while ((position = FindLayer2Header(data.data(), data.size(), position, &header)) < data.size()) {
    const std::size_t frameEnd = position + 4 + static_cast<std::size_t>(header.bodyLength);
    if (frameEnd > data.size()) break;
    const std::size_t start = pcm.size();
    pcm.resize(start + kLayer2FramePcmBytes);
    pcm.resize(start + DecodeFrame(header, data.data() + position + 4, frameEnd - position - 4,
                                   pcm.data() + start, &state, forms));
    position = frameEnd;
  }
  return Samples(pcm);
}

Comparison Compare(const std::vector<std::int16_t>& ours, const std::vector<std::int16_t>& reference) {
  Comparison result;
  double squares = 0;
  double difference = 0;
  const std::size_t count = std::min(ours.size(), reference.size());
  for (std::size_t i = 0; i < count; ++i) {
    const int sampleDifference = ours[i] - reference[i];
    result.maxDifference = std::max(result.maxDifference, std::abs(sampleDifference));
    squares += static_cast<double>(sampleDifference) * sampleDifference;
    difference += sampleDifference;
  }
  if (count == 0) return result;
  const auto n = static_cast<double>(count);
  result.meanDifference = difference / n;
  result.rmsDifference = std::sqrt(squares / n);
  result.rmsWithoutOffset = std::sqrt(std::max(0.0, squares / n - result.meanDifference * result.meanDifference));
  return result;
}

double ZeroCrossingFrequency(const std::vector<std::int16_t>& interleaved, int channel, int sampleRate) {
  // The middle half only: the track's start and end fade in and out.
  const std::size_t frames = interleaved.size() / 2;
  std::size_t first = 0;
  std::size_t last = 0;
  int crossings = 0;
  for (std::size_t i = frames / 4 + 1; i < frames * 3 / 4; ++i) {
    if (interleaved[2 * (i - 1) + channel] < 0 && interleaved[2 * i + channel] >= 0) {
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return static_cast<double>(crossings - 1) * sampleRate / static_cast<double>(last - first);
}

}  // namespace layer2_test
