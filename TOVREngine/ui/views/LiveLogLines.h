#pragma once

#include <QAbstractListModel>
#include <QStringList>

#include <functional>

namespace tovr {

// The rows of a live log: strings shared with the log's source, so a line's text is held once.
// Rows are only ever appended. A row shows its line shortened past kShownCharacters, so no
// line, however long, costs more than that to measure or paint; the line stays whole to copy.
class LiveLogLines final : public QAbstractListModel {
public:
    // Far beyond any real line of output; a line past it is shown with an ellipsis.
    static constexpr qsizetype kShownCharacters = 20000;
    // The row's identifier for assistive tools and tests (empty for most lines).
    static constexpr int kIdentifierRole = Qt::UserRole;
    using Identify = std::function<QString(const QString& line)>;

    using QAbstractListModel::QAbstractListModel;
    ~LiveLogLines() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const QStringList& lines() const { return lines_; }
    void setIdentify(Identify identify) { identify_ = std::move(identify); }
    // Appends `count` lines of `from`, starting at `start`, as one insert.
    void append(const QStringList& from, qsizetype start, qsizetype count);

    // `line` as its row shows it.
    static QString shown(const QString& line);

private:
    QStringList lines_;
    Identify identify_;
};

} // namespace tovr
