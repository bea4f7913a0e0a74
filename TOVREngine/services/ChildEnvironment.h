#pragma once

#include "platform/ProcessRunning.h"

namespace tovr {

// The application's own environment with `overrides` written over it, entry by entry: the
// whole environment of an installer child.
ProcessEnvironment childEnvironment(const ProcessEnvironment& overrides = {});

} // namespace tovr
