#pragma once

#include <QLoggingCategory>

namespace tovr {

Q_DECLARE_LOGGING_CATEGORY(lcProcess)
Q_DECLARE_LOGGING_CATEGORY(lcTelemetry)

} // namespace tovr
