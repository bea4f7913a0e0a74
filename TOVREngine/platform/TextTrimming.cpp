#include "platform/TextTrimming.h"

#include "platform/LineSplitter.h"

namespace tovr {

namespace {

bool isHorizontalSpace(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

} // namespace

QString trimHorizontalWhitespace(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isHorizontalSpace(text[begin]))
        ++begin;
    while (end > begin && isHorizontalSpace(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

std::optional<QString> markedReply(QStringView output, QStringView marker) {
    const QStringList lines = splitTextLines(output);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const qsizetype at = it->indexOf(marker);
        if (at < 0)
            continue;
        QString rest = trimHorizontalWhitespace(QStringView(*it).mid(at + marker.size()));
        return rest.isEmpty() ? std::nullopt : std::optional(std::move(rest));
    }
    return std::nullopt;
}

} // namespace tovr
