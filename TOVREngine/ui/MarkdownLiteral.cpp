#include "ui/MarkdownLiteral.h"

namespace tovr {

QString markdownLiteral(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        if (kMarkdownMarkupCharacters.contains(c))
            out += u'\\';
        out += c;
    }
    return out;
}

} // namespace tovr
