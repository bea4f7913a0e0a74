#include "platform/Logging.h"

namespace tovr {

Q_LOGGING_CATEGORY(lcProcess, "tovr.process")

} // namespace tovr
