// Constants of the video decoder's inverse DCT, shared by its portable and
// SSE2 forms.
#pragma once

#include <array>
#include <cstdint>

namespace reelpack {

// Rows k and 8 - k share a table.
inline constexpr int kIdctRowTableOf[8] = {0, 1, 2, 3, 0, 3, 2, 1};

inline constexpr std::int16_t kIdctTan1 = 13036;     // tan(pi/16)
inline constexpr std::int16_t kIdctTan2 = 27146;     // tan(2pi/16)
inline constexpr std::int16_t kIdctTan3m1 = -21746;  // tan(3pi/16) - 1
inline constexpr std::int16_t kIdctCos4m1 = -19195;  // cos(pi/4) - 1

using IdctRowTable = std::array<std::array<std::int32_t, 8>, 8>;  // [u][x]

// Row table 0..3: the scaled cosine basis of rows 0/4, 1/7, 2/6 and 3/5.
const IdctRowTable& idctRowTable(int table);

}  // namespace reelpack
