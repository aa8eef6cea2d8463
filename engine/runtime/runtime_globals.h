// The size globals (design space and device screen) and the opened sound
// output rate. Written at start-up (and by the mixer for the rate), read
// everywhere design values are scaled to the device.
#pragma once

#include <cstdint>

std::int32_t GetDesignWidth();
std::int32_t GetDesignHeight();
void SetDesignWidth(std::int32_t value);
void SetDesignHeight(std::int32_t value);
std::int32_t GetScreenWidth();
std::int32_t GetScreenHeight();
void SetScreenWidth(std::int32_t value);
void SetScreenHeight(std::int32_t value);
void SetOutputRate(std::int32_t rate);
std::int32_t GetOutputRate();
