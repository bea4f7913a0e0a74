#include "ui/views/LiveLogLines.h"

#include "platform/ReleaseOnWorker.h"

#include <algorithm>

namespace tovr {

LiveLogLines::~LiveLogLines() {
    releaseOnWorker(std::move(lines_));
}

int LiveLogLines::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(lines_.size());
}

QVariant LiveLogLines::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= lines_.size())
        return {};
    const QString& line = lines_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return shown(line);
    case kIdentifierRole:
        return identify_ ? identify_(line) : QString();
    default:
        return {};
    }
}

void LiveLogLines::append(const QStringList& from, qsizetype start, qsizetype count) {
    // The rows end up as many as the source's lines: room for those at once when a flood has
    // them waiting, else half as much again, so a trickle does not copy every frame.
    if (lines_.capacity() < from.size())
        lines_.reserve(std::max(from.size(), lines_.size() + lines_.size() / 2));
    beginInsertRows({}, int(lines_.size()), int(lines_.size() + count - 1));
    for (qsizetype i = start; i < start + count; ++i)
        lines_.append(from.at(i));
    endInsertRows();
}

QString LiveLogLines::shown(const QString& line) {
    if (line.size() <= kShownCharacters)
        return line;
    return line.left(kShownCharacters) + u'…';
}

} // namespace tovr
