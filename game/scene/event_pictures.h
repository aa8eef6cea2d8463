// The event pictures the manner tint darkens: full-screen scenes the player
// may want hidden when playing in company.
#pragma once

#include <cstddef>

// How many names the table stands for.
std::size_t EventPictureCount();
// 1 when name, cut at its last '.', is an event picture (ASCII case ignored).
int IsEventPicture(const char* name);
