#include "ui/views/LiveLogView.h"

#include "platform/ClipboardWriting.h"
#include "platform/ReleaseOnWorker.h"

#include <QAbstractListModel>
#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>

#include <algorithm>

namespace tovr {

// The rows: strings shared with the source, so a line's text is held once.
class LiveLogLines final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    ~LiveLogLines() override { releaseOnWorker(std::move(lines_)); }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(lines_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= lines_.size())
            return {};
        return lines_.at(index.row());
    }
    const QStringList& lines() const { return lines_; }
    const QString& longest() const { return longest_; }

    void append(const QStringList& from, qsizetype start, qsizetype count) {
        // The rows end up as many as the source's lines: room for those at once when a flood
        // has them waiting, else half as much again, so a trickle does not copy every frame.
        if (lines_.capacity() < from.size())
            lines_.reserve(std::max(from.size(), lines_.size() + lines_.size() / 2));
        beginInsertRows({}, int(lines_.size()), int(lines_.size() + count - 1));
        for (qsizetype i = start; i < start + count; ++i) {
            const QString& line = from.at(i);
            if (line.size() > longest_.size())
                longest_ = line;
            lines_.append(line);
        }
        endInsertRows();
    }

private:
    QStringList lines_;
    QString longest_;
};

LiveLogView::LiveLogView(const QString& accessibleName, std::shared_ptr<ClipboardWriting> clipboard,
                         QWidget* parent)
    : QTableView(parent), clipboard_(std::move(clipboard)) {
    lines_ = new LiveLogLines(this);
    setModel(lines_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    fitRows();
    setAccessibleName(accessibleName);
    // Read, not a stop on the way to the buttons.
    setFocusPolicy(Qt::ClickFocus);

    auto* copy = new QAction(tr("Copy"), this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &LiveLogView::copySelection);
    auto* selectEverything = new QAction(tr("Select All"), this);
    selectEverything->setShortcut(QKeySequence::SelectAll);
    selectEverything->setShortcutContext(Qt::WidgetShortcut);
    connect(selectEverything, &QAction::triggered, this, &QAbstractItemView::selectAll);
    addAction(copy);
    addAction(selectEverything);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    frame_.setSingleShot(true);
    connect(&frame_, &QTimer::timeout, this, &LiveLogView::takeFrame);
}

LiveLogView::~LiveLogView() = default;

void LiveLogView::setSource(QObject* owner, std::function<const QStringList&()> lines) {
    owner_ = owner;
    source_ = std::move(lines);
    linesAdded();
}

void LiveLogView::linesAdded() {
    if (!frame_.isActive())
        frame_.start(kFrameMs);
}

void LiveLogView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        measuredLength_ = -1;
        fitRows();
        fitColumn();
    }
}

void LiveLogView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fitColumn();
}

// Rows 2 points apart, as a stack of lines would be.
void LiveLogView::fitRows() {
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
}

// The column fills the view and is as wide as the longest line, measured only when that
// line changes.
void LiveLogView::fitColumn() {
    const QString& longest = lines_->longest();
    if (longest.size() != measuredLength_) {
        measuredLength_ = longest.size();
        longestWidth_ = fontMetrics().horizontalAdvance(longest);
    }
    const int padding = 2 * fontMetrics().averageCharWidth();
    const int width = std::max(longestWidth_ + padding, viewport()->width());
    if (horizontalHeader()->sectionSize(0) != width)
        horizontalHeader()->resizeSection(0, width);
}

void LiveLogView::takeFrame() {
    if (!owner_ || !source_)
        return;
    const QStringList& all = source_();
    const qsizetype shown = lines_->lines().size();
    const qsizetype count = std::min(all.size() - shown, kLinesPerFrame);
    if (count <= 0)
        return;
    lines_->append(all, shown, count);
    fitColumn();
    scrollToBottom();
    if (shown + count < all.size())
        frame_.start(kFrameMs);
}

const QStringList& LiveLogView::lines() const {
    return lines_->lines();
}

QString LiveLogView::toPlainText() const {
    return lines_->lines().join(u'\n');
}

QString LiveLogView::selectedText() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList picked;
    picked.reserve(rows.size());
    for (int row : rows)
        picked.append(lines_->lines().at(row));
    return picked.join(u'\n');
}

void LiveLogView::copySelection() {
    const QString text = selectedText();
    if (text.isEmpty())
        return;
    if (clipboard_)
        clipboard_->setText(text);
    else if (QClipboard* system = QGuiApplication::clipboard())
        system->setText(text);
}

} // namespace tovr
