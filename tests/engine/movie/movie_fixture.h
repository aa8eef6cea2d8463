// Small ".rzm2" movies written for the tests through the shared layout code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/rzm2_format.h"

// The header fields a test chooses; the frame count comes from the records.
Rzm2Header MovieHeader(bool version2, std::uint32_t storedWidth, std::uint32_t storedHeight,
                       std::uint32_t rateNumerator, std::uint32_t timeBase);

// Records whose payload starts with the frame number, `bytes` long each.
std::vector<std::vector<std::uint8_t>> NumberedRecords(std::uint32_t frames, std::uint32_t bytes);

// A "JBP1" record of a width x height picture in 8 x 8 blocks of flat,
// different colours; seed tells the frames of a movie apart.
std::vector<std::uint8_t> BlockPictureRecord(std::uint32_t width, std::uint32_t height, std::uint32_t seed);
// A record of one flat colour chosen by seed.
std::vector<std::uint8_t> FlatPictureRecord(std::uint32_t width, std::uint32_t height, std::uint32_t seed);
// frames such records of one size, seeds 0, 1, 2, ...
std::vector<std::vector<std::uint8_t>> BlockPictureRecords(std::uint32_t frames, std::uint32_t width, std::uint32_t height);
// A record decoded on the movie path: width x height pixels, rows packed.
std::vector<std::uint16_t> DecodeMovieRecord(const std::vector<std::uint8_t>& record);

// Header, index and records back to back.
std::vector<std::uint8_t> MovieFileBytes(const Rzm2Header& header, const std::vector<std::vector<std::uint8_t>>& records);
