#pragma once

#include <cstddef>
#include <functional>

namespace tovr {

// Runs `work` on a thread of its own whose stack holds `bytes`, and returns once it has
// ended: for deep recursion that a worker's stack (512 kB on macOS) would not hold. False,
// with nothing run, when no such thread can be started. `work` must not throw.
bool stackedCall(std::size_t bytes, const std::function<void()>& work);

} // namespace tovr
