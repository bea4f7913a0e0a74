#include "platform/LineSplitter.h"

#include <algorithm>
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

void LineSplitter::scan() {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData());
    const qsizetype n = bytes_.size();
    qsizetype k = scanned_;
    bytesExamined_ += n - k;
    if (skipLineFeed_ && k < n) {
        skipLineFeed_ = false;
        if (p[k] == '\n')
            lineStart_ = ++k;
    }
    while (k < n) {
        k = skipPlainWords(p, k, n);
        while (k < n && !kBreakStarts.table[p[k]])
            ++k;
        if (k >= n)
            break;
        const unsigned char c = p[k];
        qsizetype next = 0; // past the break that begins at k; 0 when none does
        if (c == '\n') {
            next = k + 1;
        } else if (c == '\r') {
            next = k + 1 < n && p[k + 1] == '\n' ? k + 2 : k + 1;
            skipLineFeed_ = k + 1 == n; // its LF may come with the next read
        } else if (c == 0xC2) {
            if (k + 1 >= n)
                break; // wait for the second byte; the scan resumes here
            if (p[k + 1] == 0x85)
                next = k + 2;
        } else { // 0xE2: a break only as E2 80 A8 or E2 80 A9
            // Wait for more only while the bytes read so far could still be one; any other
            // second byte (a line feed among them) is looked at as the next byte.
            const bool mayBreak = k + 1 >= n || p[k + 1] == 0x80;
            if (mayBreak && k + 2 >= n)
                break; // the rest of the character comes with the next read
            if (mayBreak && (p[k + 2] == 0xA8 || p[k + 2] == 0xA9))
                next = k + 3;
        }
        if (next == 0) {
            ++k;
            continue;
        }
        spans_.push_back({lineStart_, k - lineStart_});
        lineStart_ = k = next;
    }
    scanned_ = k;
}

void LineSplitter::feedBytes(const char* data, qsizetype size) {
    if (size <= 0)
        return;
    // Growing by half again and in place (reserve reallocates, which moves a large buffer
    // without copying it) keeps a line that grows without a break linear in its length.
    const qsizetype needed = bytes_.size() + size;
    if (needed > bytes_.capacity())
        bytes_.reserve(std::max(needed, bytes_.capacity() + bytes_.capacity() / 2));
    bytes_.append(data, size);
    scan();
}

void LineSplitter::finishBytes() {
    if (lineStart_ < bytes_.size())
        spans_.push_back({lineStart_, bytes_.size() - lineStart_});
    lineStart_ = scanned_ = bytes_.size();
    skipLineFeed_ = false;
}

void LineSplitter::takeLines(QByteArray& bytes, std::vector<Span>& spans) {
    // Only the unfinished line stays; it holds no more than the bytes after the last break.
    bytes.truncate(0);
    bytes.append(bytes_.constData() + lineStart_, bytes_.size() - lineStart_);
    bytes.swap(bytes_);
    spans.swap(spans_);
    spans_.clear();
    scanned_ -= lineStart_;
    lineStart_ = 0;
}

void LineSplitter::feed(const char* data, qsizetype size, const LineHandler& onLine) {
    feedBytes(data, size);
    if (spans_.empty())
        return;
    for (const auto& span : spans_)
        onLine(QString::fromUtf8(bytes_.constData() + span.offset, span.size));
    spans_.clear();
    const qsizetype rest = bytes_.size() - lineStart_;
    std::memmove(bytes_.data(), bytes_.constData() + lineStart_, rest);
    bytes_.truncate(rest);
    scanned_ -= lineStart_;
    lineStart_ = 0;
}

void LineSplitter::finish(const LineHandler& onLine) {
    finishBytes();
    for (const auto& span : spans_)
        onLine(QString::fromUtf8(bytes_.constData() + span.offset, span.size));
    spans_.clear();
    bytes_.truncate(0);
    lineStart_ = scanned_ = 0;
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
