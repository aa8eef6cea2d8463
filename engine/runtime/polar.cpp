#include "engine/runtime/polar.h"

#include <cmath>
#include <numbers>

void PolarToXY(std::int32_t angleDegrees, std::int32_t radius, std::int32_t* x, std::int32_t* y) {
  double a = angleDegrees * (1.0 / 180.0) * std::numbers::pi;
  *x = static_cast<std::int32_t>(radius * std::cos(a));
  *y = static_cast<std::int32_t>(radius * std::sin(a));
}
