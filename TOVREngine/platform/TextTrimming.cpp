#include "platform/TextTrimming.h"

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

} // namespace tovr
