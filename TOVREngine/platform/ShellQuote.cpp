#include "platform/ShellQuote.h"

namespace tovr {

QString shellQuote(const QString& value) {
    QString out;
    out.reserve(value.size() + 2);
    out += u'\'';
    for (QChar c : value) {
        if (c == u'\'')
            out += QStringLiteral("'\\''");
        else
            out += c;
    }
    out += u'\'';
    return out;
}

QString shellQuoteJoined(const QStringList& values) {
    QStringList quoted;
    quoted.reserve(values.size());
    for (const auto& v : values)
        quoted << shellQuote(v);
    return quoted.join(u' ');
}

} // namespace tovr
