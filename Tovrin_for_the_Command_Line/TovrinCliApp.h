#pragma once

#include "ui/ScreenContext.h"

class QWidget;

namespace tovr {

// The application: it runs the command-line product and opens its window.
class TovrinCliApp {
public:
    // Selects the command-line product, before any window or worker exists.
    TovrinCliApp();

    // One window over `base` (services, user defaults, desktop services): 720×720 at first,
    // never smaller than 720×700. The caller owns it.
    QWidget* makeWindow(const ScreenContext& base, const QString& titleSuffix = {}) const;
};

} // namespace tovr
