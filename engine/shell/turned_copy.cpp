#include "engine/shell/turned_copy.h"

#include <algorithm>
#include <cstring>

namespace {

// Source rows copied column by column in bands, so each target row gets a
// band's run in one go and the band's source rows stay in the cache.
constexpr std::int32_t kBandRows = 64;

}  // namespace

void CopyTurnedPortable(const TurnedBlock& block) {
  for (std::int32_t band = 0; band < block.rows; band += kBandRows) {
    const std::int32_t bandEnd = std::min(band + kBandRows, block.rows);
    for (std::int32_t i = 0; i < block.columns; ++i) {
      const std::uint16_t* in = block.from + band * block.fromPitch + i;
      std::uint8_t* to = block.to + i * block.stepAlongI + band * block.stepAlongJ;
      for (std::int32_t j = band; j < bandEnd; ++j) {
        std::memcpy(to, in, sizeof(std::uint16_t));
        to += block.stepAlongJ;
        in += block.fromPitch;
      }
    }
  }
}

TurnedBlock PartOfTurnedBlock(const TurnedBlock& block, std::int32_t i, std::int32_t j, std::int32_t columns,
                              std::int32_t rows) {
  TurnedBlock part = block;
  part.from = block.from + j * block.fromPitch + i;
  part.to = block.to + i * block.stepAlongI + j * block.stepAlongJ;
  part.columns = columns;
  part.rows = rows;
  return part;
}

void CopyTurned(const TurnedBlock& block) {
#if defined(__SSE2__)
  if (ProcessorHasAvx512()) return CopyTurnedAvx512(block);
  if (ProcessorHasAvx2()) return CopyTurnedAvx2(block);
  CopyTurnedSse2(block);
#else
  CopyTurnedPortable(block);
#endif
}
