// Icons for the minimised paint of a dialog: no pictures behind them, each
// call recorded in the call log ("LoadIcon(128)", "DrawIcon(x,y)").
#pragma once

#include "host/window/window_api.h"

inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;

// A handle naming the resource id.
HICON LoadIconA(HINSTANCE instance, UINT resourceId);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
