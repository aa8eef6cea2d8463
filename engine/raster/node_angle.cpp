#include "engine/raster/node_angle.h"

#include <cmath>

namespace {

// Single-precision pi, widened: the device build's constant.
constexpr double kPi = 3.1415927410125732;

}  // namespace

NodeAngle NodeAngleOf(int degrees) {
  const double radians = degrees * (1.0 / 180.0) * kPi;
  return {static_cast<int>(std::sin(radians) * 1024.0), static_cast<int>(std::cos(radians) * 1024.0)};
}
