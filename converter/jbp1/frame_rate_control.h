// Per-frame bit-rate control of the video pass: a frame is coded at the base
// quality and, while it would exceed the bit-rate limit, again at qualities
// lowered by 2 down to 10 (9 for odd bases); then, while its record would
// not fit one of the engine's movie read-ahead buffers, lower still, by 2
// above 10 and by 1 below, down to 1. A quality at which the JPEG library
// refuses the frame counts as too large. Every frame starts again from the
// base quality.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "converter/jbp1/frame_coder.h"

namespace reelpack {

struct FrameRateSettings {
  int baseQuality = 75;                // 1 to 100
  std::uint32_t maxRateSetting = 45;   // maximum bit rate in tenths of Mbit/s
  double outputFps = 15.0;             // frame rate of the written movie
  // Largest record; 0 takes the read-ahead buffer of the movie whose stored
  // frames have the image's size.
  std::size_t recordCapBytes = 0;
};

// The limit in bits per second: floor((setting x 1,048,576, modulo 2^32) / 10).
std::uint32_t FrameBitRateLimit(std::uint32_t maxRateSetting);

// The rate of a record: record bits (32-bit) times the frame rate, truncated,
// its low 32 bits.
std::uint32_t FrameBitRate(std::size_t recordBytes, double outputFps);

struct FittedRecord {
  std::vector<std::uint8_t> bytes;
  int quality = 0;
  int codings = 0;  // how many times the frame was coded
};

// Codes a frame at one quality into record.
using RecordCoder = std::function<FrameCodeStatus(int quality, std::vector<std::uint8_t>& record)>;

// The rate control over any coder, with an explicit cap (no 0 here).
// Nothing when the base quality is outside 1 to 100, the coder fails, or no
// quality down to 1 gives a record within the cap.
std::optional<FittedRecord> FitRecordToBitrate(const RecordCoder& code, const FrameRateSettings& settings,
                                               std::size_t recordCapBytes);

// The record of a frame (the turned image the movie stores) under the
// settings; nothing as FitRecordToBitrate, or for an unsound image.
std::optional<FittedRecord> FitFrameToBitrate(CFrameCoder& coder, std::span<const std::uint8_t> image,
                                              const FrameRateSettings& settings);

}  // namespace reelpack
