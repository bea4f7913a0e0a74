#include "platform/LineSplitter.h"

#include <cstring>

namespace tovr {

namespace {

// Bytes that may begin a line break: LF, CR, and the lead bytes of U+0085 and U+2028/9.
struct BreakStarts {
    bool table[256] = {};
    constexpr BreakStarts() {
        table[static_cast<unsigned char>('\n')] = true;
        table[static_cast<unsigned char>('\r')] = true;
        table[0xC2] = true;
        table[0xE2] = true;
    }
};
constexpr BreakStarts kBreakStarts;

// Skips eight bytes at a time while none of them can begin a break (ASCII other than CR
// and LF), which is nearly all of a long output; the byte loop takes over at the rest.
qsizetype skipPlainWords(const unsigned char* p, qsizetype k, qsizetype n) {
    constexpr quint64 ones = 0x0101010101010101ULL;
    constexpr quint64 highs = 0x8080808080808080ULL;
    auto hasZeroByte = [](quint64 v) { return ((v - ones) & ~v & highs) != 0; };
    while (k + 8 <= n) {
        quint64 word;
        std::memcpy(&word, p + k, sizeof word);
        if ((word & highs) || hasZeroByte(word ^ (ones * '\n')) ||
            hasZeroByte(word ^ (ones * '\r')))
            break;
        k += 8;
    }
    return k;
}

} // namespace

void LineSplitter::feed(const char* data, qsizetype size, const LineHandler& onLine) {
    if (size <= 0)
        return;
    if (skipLineFeed_ && pending_.isEmpty()) {
        skipLineFeed_ = false;
        if (data[0] == '\n') {
            ++data;
            --size;
        }
    }
    // Work on the new bytes in place; only a partial line is ever copied.
    QByteArray joined;
    if (!pending_.isEmpty()) {
        joined = pending_ + QByteArray::fromRawData(data, size);
        pending_.clear();
        data = joined.constData();
        size = joined.size();
    }
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const qsizetype n = size;
    qsizetype lineStart = 0;
    qsizetype k = 0;
    auto emitLine = [&](qsizetype end, qsizetype next) {
        onLine(QString::fromUtf8(data + lineStart, end - lineStart));
        lineStart = next;
        k = next;
    };
    while (k < n) {
        k = skipPlainWords(p, k, n);
        while (k < n && !kBreakStarts.table[p[k]])
            ++k;
        if (k >= n)
            break;
        const unsigned char c = p[k];
        if (c == '\n') {
            emitLine(k, k + 1);
        } else if (c == '\r') {
            if (k + 1 < n) {
                emitLine(k, p[k + 1] == '\n' ? k + 2 : k + 1);
            } else {
                emitLine(k, k + 1);
                skipLineFeed_ = true;
            }
        } else if (c == 0xC2) {
            if (k + 1 >= n)
                break; // wait for the second byte
            if (p[k + 1] == 0x85)
                emitLine(k, k + 2);
            else
                ++k;
        } else { // 0xE2
            if (k + 2 >= n)
                break; // wait for the rest of the character
            if (p[k + 1] == 0x80 && (p[k + 2] == 0xA8 || p[k + 2] == 0xA9))
                emitLine(k, k + 3);
            else
                ++k;
        }
    }
    if (lineStart < n)
        pending_ = QByteArray(data + lineStart, n - lineStart);
}

void LineSplitter::finish(const LineHandler& onLine) {
    if (!pending_.isEmpty())
        onLine(QString::fromUtf8(pending_));
    pending_.clear();
    skipLineFeed_ = false;
}

QStringList LineSplitter::split(const QByteArray& bytes) {
    QStringList lines;
    LineSplitter splitter;
    auto add = [&](QString line) { lines << std::move(line); };
    splitter.feed(bytes, add);
    splitter.finish(add);
    return lines;
}

QStringList splitTextLines(QStringView text) {
    QStringList lines;
    qsizetype start = 0;
    auto isBreak = [](QChar c) {
        switch (c.unicode()) {
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x85:
        case 0x2028:
        case 0x2029:
            return true;
        default:
            return false;
        }
    };
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || isBreak(text[i])) {
            if (i > start)
                lines << text.mid(start, i - start).toString();
            start = i + 1;
        }
    }
    return lines;
}

} // namespace tovr
