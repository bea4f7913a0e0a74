#pragma once

#include <QString>
#include <QStringList>

namespace tovr {

// Quotes one value for a POSIX shell command line: single quotes around it, each ' written
// as '\''. Every value spliced into shell text goes through here.
QString shellQuote(const QString& value);

// Quotes each value and joins them with single blanks.
QString shellQuoteJoined(const QStringList& values);

} // namespace tovr
