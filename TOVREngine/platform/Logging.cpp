#include "platform/Logging.h"

namespace tovr {

Q_LOGGING_CATEGORY(lcProcess, "tovr.process")
Q_LOGGING_CATEGORY(lcTelemetry, "tovr.telemetry")

} // namespace tovr
