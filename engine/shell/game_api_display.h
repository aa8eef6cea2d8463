// The CE 3 build's display access: the geometry is the Game API's record,
// taken whole from a fresh call, and display memory is reached only between
// its begin and end calls. The screen-mode record knows only the VGA flag.
#pragma once

#include "engine/shell/display_access.h"

const DisplayAccess& GameApiDisplayAccess();
