#include "model/HomebrewVersion.h"

#include <QRegularExpression>

namespace tovr {

std::optional<QString> parseHomebrewVersion(const QString& output) {
    static const QRegularExpression separators(QStringLiteral("[ \\n]"));
    const QStringList pieces = output.split(separators, Qt::SkipEmptyParts);
    if (pieces.size() >= 2 && pieces[0] == u"Homebrew")
        return pieces[1];
    return std::nullopt;
}

} // namespace tovr
