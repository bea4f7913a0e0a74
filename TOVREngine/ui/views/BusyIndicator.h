#pragma once

#include <QProgressBar>

namespace tovr {

// A small indeterminate progress indicator that stands beside controls disabled while work
// runs; its accessible name says what the work is. Its owner shows it from the model's
// state, for exactly as long as the controls are disabled.
class BusyIndicator : public QProgressBar {
    Q_OBJECT

public:
    explicit BusyIndicator(const QString& accessibleName, QWidget* parent = nullptr);
};

} // namespace tovr
