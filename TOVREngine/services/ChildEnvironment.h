#pragma once

#include "platform/ProcessRunning.h"

namespace tovr {

// What `runner` gives a child by default (the login shell's environment, for the live
// runner) with `overrides` written over it, entry by entry: the whole environment of an
// installer child.
ProcessEnvironment childEnvironment(const ProcessRunning& runner,
                                    const ProcessEnvironment& overrides = {});

} // namespace tovr
