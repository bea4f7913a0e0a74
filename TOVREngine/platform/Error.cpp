#include "platform/Error.h"

#include <cstring>

namespace tovr {

SystemError SystemError::fromErrno(int code, const QString& context) {
    const QString text = QString::fromLocal8Bit(std::strerror(code));
    return SystemError(code, context.isEmpty() ? text : context + QStringLiteral(": ") + text);
}

} // namespace tovr
