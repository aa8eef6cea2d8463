#include "converter/mpeg/mpeg_start_code.h"

namespace reelpack {

const std::uint8_t* findStartCodeForward(const std::uint8_t* from, const std::uint8_t* end) {
  const std::uint8_t* p = from;
  while (end - p >= 3) {
    if (p[0] == 0 && p[1] == 0 && p[2] == 1) return p;
    if (end - p == 3) break;
    // p[3] decides how far the next possible prefix can start: a 01 there
    // could end one at p + 1, a 00 could begin one at p + 2, anything else
    // rules out p + 1 to p + 3.
    const int step = p[3] == 0 ? 2 : p[3] == 1 ? 1 : 4;
    if (end - p - step < 3) break;
    p += step;
  }
  return nullptr;
}

const std::uint8_t* findStartCodeBackward(const std::uint8_t* from, const std::uint8_t* start) {
  const std::uint8_t* q = from;
  while (q - start >= 2) {
    if (q[-2] == 0 && q[-1] == 0 && q[0] == 1) return q - 2;
    if (q - start == 2) break;
    // q[-3] decides where the nearest earlier prefix can end: at q - 1 when
    // it is 00, at q - 3 when it is 01, at q - 4 or before otherwise.
    const int step = q[-3] == 0 ? 1 : q[-3] == 1 ? 3 : 4;
    if (q - start - step < 2) break;
    q -= step;
  }
  return nullptr;
}

}  // namespace reelpack
