// Copying a block of 16-bit pixels turned by 90 degrees, as the present does
// from the landscape back buffer into portrait display memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/cpu_features.h"

// Source pixel (i, j), i along a source row and j down its rows, lands at
// to + i * stepAlongI + j * stepAlongJ (byte steps of either sign; the
// target needs no alignment).
struct TurnedBlock {
  const std::uint16_t* from;
  std::ptrdiff_t fromPitch;  // pixels between source rows
  std::uint8_t* to;
  std::ptrdiff_t stepAlongI;
  std::ptrdiff_t stepAlongJ;
  std::int32_t columns;  // count of i
  std::int32_t rows;     // count of j
};

// The definition: pixel by pixel.
void CopyTurnedPortable(const TurnedBlock& block);
// The same bytes: 8 x 8 tiles turned in SSE2 registers when target rows run
// along j, a row copy when they run along i, the portable form otherwise.
void CopyTurnedSse2(const TurnedBlock& block);
// The same bytes: 8 x 16 tiles turned in AVX2 registers, each target run
// 16 pixels long, where target rows run along j; the SSE2 form otherwise.
// Only where ProcessorHasAvx2().
void CopyTurnedAvx2(const TurnedBlock& block);
// The same bytes: 8 x 32 tiles turned in AVX-512 registers, each target run
// a cache line long, where target rows run along j; the AVX2 form otherwise.
// Only where ProcessorHasAvx512().
void CopyTurnedAvx512(const TurnedBlock& block);
// The part of block starting at pixel (i, j), columns x rows.
TurnedBlock PartOfTurnedBlock(const TurnedBlock& block, std::int32_t i, std::int32_t j, std::int32_t columns,
                              std::int32_t rows);
// The fastest of the above this build and processor have.
void CopyTurned(const TurnedBlock& block);
