#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace tovr {

// Splits a byte stream into lines as output arrives: a line ends at LF, CR, CRLF (one
// break), U+0085, U+2028 or U+2029; blank lines are kept; no line carries its terminator.
// Bytes are decoded as UTF-8 one whole line at a time, so a character split across two
// reads is never damaged.
class LineSplitter {
public:
    using LineHandler = std::function<void(QString)>;

    // Feeds bytes; calls `onLine` for every line they complete.
    void feed(const char* data, qsizetype size, const LineHandler& onLine);
    void feed(const QByteArray& bytes, const LineHandler& onLine) {
        feed(bytes.constData(), bytes.size(), onLine);
    }
    // End of input: a last line without terminator is still a line.
    void finish(const LineHandler& onLine);

    // The whole rule at once, for tests and small outputs.
    static QStringList split(const QByteArray& bytes);

private:
    QByteArray pending_;
    bool skipLineFeed_ = false; // the previous line ended in CR: a following LF is its pair
};

// Splits a text into its non-empty lines: breaks are LF, CR, CRLF, vertical tab, form feed,
// U+0085, U+2028 and U+2029; empty lines are dropped.
QStringList splitTextLines(QStringView text);

} // namespace tovr
