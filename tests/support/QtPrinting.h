#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// Readable Qt texts in GoogleTest failure messages. Found by argument-dependent lookup, so
// these live beside QString, in the global namespace.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < texts.size(); ++i)
        *os << (i ? ", \"" : "\"") << texts[i].toStdString() << '"';
    *os << '}';
}
