#include "engine/runtime/runtime_globals.h"

namespace {
// Values until start-up sets the real sizes and the mixer the real rate.
std::int32_t designWidth = 640;
std::int32_t designHeight = 480;
std::int32_t screenWidth = 320;
std::int32_t screenHeight = 240;
std::int32_t outputRate = 22050;
}  // namespace

std::int32_t GetDesignWidth() { return designWidth; }
std::int32_t GetDesignHeight() { return designHeight; }
void SetDesignWidth(std::int32_t value) { designWidth = value; }
void SetDesignHeight(std::int32_t value) { designHeight = value; }
std::int32_t GetScreenWidth() { return screenWidth; }
std::int32_t GetScreenHeight() { return screenHeight; }
void SetScreenWidth(std::int32_t value) { screenWidth = value; }
void SetScreenHeight(std::int32_t value) { screenHeight = value; }
void SetOutputRate(std::int32_t rate) { outputRate = rate; }
std::int32_t GetOutputRate() { return outputRate; }
