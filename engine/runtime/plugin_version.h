#pragma once

#include <cstddef>

// The version text the Ogg plug-in reports, kept for the system screen
// (at most 127 bytes; longer texts are cut).
void SetOggPluginVersion(const char* text);
void GetOggPluginVersion(char* out, std::size_t outCapacity);
