#include "ui/views/BusyIndicator.h"

namespace tovr {

BusyIndicator::BusyIndicator(const QString& accessibleName, QWidget* parent)
    : QProgressBar(parent) {
    setRange(0, 0);
    setTextVisible(false);
    setFixedSize(80, 8);
    setAccessibleName(accessibleName);
    hide();
}

} // namespace tovr
