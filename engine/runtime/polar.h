#pragma once

#include <cstdint>

// x = radius cos(angle), y = radius sin(angle), each truncated toward zero.
void PolarToXY(std::int32_t angleDegrees, std::int32_t radius, std::int32_t* x, std::int32_t* y);
