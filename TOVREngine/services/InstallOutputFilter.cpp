#include "services/InstallOutputFilter.h"

#include <QRegularExpression>

namespace tovr {

namespace {

// Blanks and tabs only: line breaks are not part of a line here.
QStringView trimBlanks(QStringView line) {
    qsizetype begin = 0, end = line.size();
    while (begin < end && (line[begin] == u' ' || line[begin] == u'\t'))
        ++begin;
    while (end > begin && (line[end - 1] == u' ' || line[end - 1] == u'\t'))
        --end;
    return line.mid(begin, end - begin);
}

const QRegularExpression& systemLogLine() {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3,} \S+\[\d+:\d+\] )"));
    return pattern;
}

constexpr int kMaxBlockLines = 30;

} // namespace

QStringList InstallOutputFilter::filter(const QStringList& lines) {
    return Incremental().feed(lines);
}

QStringList InstallOutputFilter::Incremental::feed(const QStringList& lines) {
    QStringList kept;
    for (const QString& line : lines) {
        if (skipping_) {
            ++seen_;
            if (line.contains(QLatin1String("docs.brew.sh"))) {
                skipping_ = false;
                continue;
            }
            const QStringView trimmed = trimBlanks(line);
            const bool blockShaped = trimmed.isEmpty() || trimmed.startsWith(u'-') ||
                                     line.startsWith(u' ') || line.startsWith(u'\t');
            if (blockShaped && seen_ <= kMaxBlockLines)
                continue;
            kept << line;
            skipping_ = false;
            continue;
        }
        if (trimBlanks(line).startsWith(QLatin1String("==> Next steps:"))) {
            skipping_ = true;
            seen_ = 0;
            continue;
        }
        if (systemLogLine().match(line).hasMatch())
            continue;
        kept << line;
        if (line.contains(QLatin1String("do not provide support for this old version")))
            kept << QString::fromUtf8(kOldMacOSNote);
    }
    return kept;
}

} // namespace tovr
