#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace tovr {

// Splits a byte stream into lines as output arrives: a line ends at LF, CR, CRLF (one
// break), U+0085, U+2028 or U+2029; blank lines are kept; no line carries its terminator.
// Bytes are decoded as UTF-8 one whole line at a time, so a character split across two
// reads is never damaged. Each byte is looked at once, however long its line grows.
class LineSplitter {
public:
    using LineHandler = std::function<void(QString)>;

    // Where a complete line lies in the splitter's bytes, its terminator left out.
    struct Span {
        qsizetype offset = 0;
        qsizetype size = 0;
    };

    // Feeds bytes; calls `onLine` for every line they complete.
    void feed(const char* data, qsizetype size, const LineHandler& onLine);
    void feed(const QByteArray& bytes, const LineHandler& onLine) {
        feed(bytes.constData(), bytes.size(), onLine);
    }
    // End of input: a last line without terminator is still a line.
    void finish(const LineHandler& onLine);

    // For a reader that hands lines on undecoded: feedBytes() adds bytes and notes the lines
    // they complete; takeLines() hands over the bytes of those lines with their spans and
    // keeps only the unfinished line. finishBytes() completes a last line without break.
    void feedBytes(const char* data, qsizetype size);
    void finishBytes();
    bool hasLines() const { return !spans_.empty(); }
    // Swaps the complete lines' bytes into `bytes` and their places into `spans`; whatever
    // the two held before is dropped, their room kept for the next take.
    void takeLines(QByteArray& bytes, std::vector<Span>& spans);

    // The whole rule at once, for tests and small outputs.
    static QStringList split(const QByteArray& bytes);

    // The bytes the scans have looked at since construction, each scan counting from where
    // it resumed to the end: the work a test holds linear in the bytes fed.
    qint64 bytesExamined() const { return bytesExamined_; }

private:
    void scan();

    // The bytes since the last take: complete lines, then the unfinished line. It grows
    // by reallocation, which moves a large buffer without copying it.
    QByteArray bytes_;
    std::vector<Span> spans_;
    qsizetype lineStart_ = 0;   // where the unfinished line begins in bytes_
    qsizetype scanned_ = 0;     // bytes_ before this hold no break still to be found
    bool skipLineFeed_ = false; // the last line ended in CR: a following LF is its pair
    qint64 bytesExamined_ = 0;
};

// Splits a text into its non-empty lines: breaks are LF, CR, CRLF, vertical tab, form feed,
// U+0085, U+2028 and U+2029; empty lines are dropped.
QStringList splitTextLines(QStringView text);

} // namespace tovr
