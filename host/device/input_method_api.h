// The input method (soft keyboard text conversion) attached to a window.
#pragma once

#include "host/window/window_api.h"

struct HIMC__;
using HIMC = HIMC__*;

// Attaches context (null: none) and returns the one attached before.
HIMC ImmAssociateContext(HWND window, HIMC context);
