#include "platform/JDKInfo.h"

#include <QRegularExpression>

namespace tovr {

std::optional<qint64> parseJavaMajorVersion(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(R"(version\s+"(\d+)(?:\.(\d+))?)"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 major = match.captured(1).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    if (major != 1)
        return major;
    if (match.capturedStart(2) < 0)
        return 1;
    const qint64 minor = match.captured(2).toLongLong(&ok);
    return ok ? minor : 1;
}

std::optional<qint64> majorVersion(const JDKInfo& info) {
    return parseJavaMajorVersion(QStringLiteral("version \"") + info.version + u'"');
}

} // namespace tovr
