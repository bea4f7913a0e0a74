#include "platform/LineSplitter.h"

namespace tovr {

void LineSplitter::feed(const char* data, qsizetype size, const LineHandler& onLine) {
    if (size <= 0)
        return;
    qsizetype i = 0;
    if (skipLineFeed_ && pending_.isEmpty()) {
        if (data[0] == '\n')
            i = 1;
        skipLineFeed_ = false;
    }
    pending_.append(data + i, size - i);

    const auto* p = reinterpret_cast<const unsigned char*>(pending_.constData());
    const qsizetype n = pending_.size();
    qsizetype lineStart = 0;
    qsizetype k = 0;
    auto emit = [&](qsizetype end, qsizetype next) {
        onLine(QString::fromUtf8(pending_.constData() + lineStart, end - lineStart));
        lineStart = next;
        k = next;
    };
    while (k < n) {
        const unsigned char c = p[k];
        if (c == '\n') {
            emit(k, k + 1);
        } else if (c == '\r') {
            if (k + 1 < n) {
                emit(k, p[k + 1] == '\n' ? k + 2 : k + 1);
            } else {
                emit(k, k + 1);
                skipLineFeed_ = true;
            }
        } else if (c == 0xC2) {
            if (k + 1 >= n)
                break; // wait for the second byte
            if (p[k + 1] == 0x85)
                emit(k, k + 2);
            else
                ++k;
        } else if (c == 0xE2) {
            if (k + 2 >= n)
                break; // wait for the rest of the character
            if (p[k + 1] == 0x80 && (p[k + 2] == 0xA8 || p[k + 2] == 0xA9))
                emit(k, k + 3);
            else
                ++k;
        } else {
            ++k;
        }
    }
    pending_.remove(0, lineStart);
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
