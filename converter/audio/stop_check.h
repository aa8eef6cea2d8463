// The question a long pass asks between its steps: true when the job has been
// told to stop.
#pragma once

#include <functional>

namespace reelpack {

using StopCheck = std::function<bool()>;

inline bool StopRequested(const StopCheck& stop) { return stop && stop(); }

}  // namespace reelpack
