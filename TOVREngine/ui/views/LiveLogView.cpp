#include "ui/views/LiveLogView.h"

#include "platform/ClipboardWriting.h"

#include <QAbstractListModel>
#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStyledItemDelegate>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tovr {

// The rows: strings shared with the source, so a line's text is held once.
class LiveLogLines final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

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

namespace {

// Every row as wide as the widest line (the font is monospaced), so rows are uniform and the
// view scrolls sideways to the end of a long one instead of cutting it off.
class LiveLogDelegate final : public QStyledItemDelegate {
public:
    LiveLogDelegate(const LiveLogLines* lines, QObject* parent)
        : QStyledItemDelegate(parent), lines_(lines) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString& longest = lines_->longest();
        if (longest.size() != measured_) {
            measured_ = longest.size();
            width_ = option.fontMetrics.horizontalAdvance(longest);
        }
        size.setWidth(std::max(size.width(), width_ + 2 * option.fontMetrics.averageCharWidth()));
        return size;
    }

private:
    const LiveLogLines* lines_;
    mutable qsizetype measured_ = -1;
    mutable int width_ = 0;
};

} // namespace

LiveLogView::LiveLogView(const QString& accessibleName, std::shared_ptr<ClipboardWriting> clipboard,
                         QWidget* parent)
    : QListView(parent), clipboard_(std::move(clipboard)) {
    lines_ = new LiveLogLines(this);
    setModel(lines_);
    setItemDelegate(new LiveLogDelegate(lines_, this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
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

LiveLogView::~LiveLogView() {
#ifdef __GLIBC__
    // A long log frees many small strings that glibc keeps for reuse; once the sheet is
    // gone, hand the free pages back to the system.
    QTimer::singleShot(0, QCoreApplication::instance(), [] { malloc_trim(0); });
#endif
}

void LiveLogView::setSource(QObject* owner, std::function<const QStringList&()> lines) {
    owner_ = owner;
    source_ = std::move(lines);
    linesAdded();
}

void LiveLogView::linesAdded() {
    if (!frame_.isActive())
        frame_.start(kFrameMs);
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
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
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
