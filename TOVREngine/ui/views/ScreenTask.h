#pragma once

namespace tovr {

// A screen whose work starts when the navigation host pushes its page (never when it is
// merely shown again, so un-minimising the window repeats nothing).
class ScreenTask {
public:
    virtual ~ScreenTask() = default;
    virtual void startTask() = 0;
    // The page came back on top because the pages above it were popped.
    virtual void screenReappeared() {}
};

} // namespace tovr
