#include "ui/views/LiveLogView.h"

#include "platform/ClipboardWriting.h"
#include "platform/ReleaseOnWorker.h"
#include "ui/views/LiveLogAccessible.h"
#include "ui/views/LiveLogLines.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tovr {

namespace {

constexpr int kRowSpacing = 2; // as a stack of lines 2 points apart
constexpr int kTextMargin = 3;

// The one advance every printable ASCII character has in `font`, or 0 where they differ. The
// glyphs are asked rather than the font's fixed-pitch flag, which not every monospaced font
// sets. Kept for the last font asked: the log asks in one font, on the GUI thread only. The
// font is never destroyed, so that nothing of it outlives the application's font cache.
int asciiAdvance(const QFont& font, const QFontMetrics& metrics) {
    static QFont* const asked = new QFont(font);
    static int advance = -1;
    if (advance >= 0 && font == *asked)
        return advance;
    *asked = font;
    advance = metrics.horizontalAdvance(QLatin1Char(' '));
    for (char c = 0x21; c < 0x7F; ++c)
        if (metrics.horizontalAdvance(QLatin1Char(c)) != advance) {
            advance = 0;
            break;
        }
    return advance;
}

// Printable ASCII that stays on one line, told without laying it out: by the widest glyph, in
// a font whose characters share one advance by that advance, else by the line's own advance.
bool fitsWithoutShaping(const QFont& font, const QFontMetrics& metrics, const QString& text,
                        int width) {
    if (!std::all_of(text.begin(), text.end(),
                     [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; }))
        return false;
    const qsizetype size = text.size();
    if (qsizetype(metrics.maxWidth()) * size <= width)
        return true;
    if (const int advance = asciiAdvance(font, metrics))
        return qsizetype(advance) * size <= width;
    return 2 * size <= width && metrics.horizontalAdvance(text) <= width;
}

// Past this a row breaks anywhere: looking for word breaks costs a line of thousands of
// characters without a space tens of milliseconds.
constexpr qsizetype kWordWrapCharacters = 1000;

// Lays `layout` out in lines `width` wide, stopping past `until`; returns its height.
qreal layOut(QTextLayout& layout, int width, qreal until = std::numeric_limits<qreal>::max()) {
    QTextOption option;
    option.setWrapMode(layout.text().size() > kWordWrapCharacters
                           ? QTextOption::WrapAnywhere
                           : QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid() && height <= until;
         line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition({0, height});
        height += line.height();
    }
    layout.endLayout();
    return height;
}

QString rowText(const QModelIndex& index) {
    QString text = index.data(Qt::DisplayRole).toString();
    text.replace(u'\n', QChar::LineSeparator);
    return text;
}

// A row: its line wrapped at the row's width.
class LiveLogRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString text = rowText(index);
        const int width = std::max(1, option.rect.width() - 2 * kTextMargin);
        const QFontMetrics& metrics = option.fontMetrics;
        if (fitsWithoutShaping(option.font, metrics, text, width))
            return {option.rect.width(), metrics.height() + kRowSpacing};
        QTextLayout layout(text, option.font);
        const int height = int(std::ceil(layOut(layout, width)));
        return {option.rect.width(), std::max(height, metrics.height()) + kRowSpacing};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item(option);
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        item.text.clear();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);

        const QPalette::ColorGroup group =
            !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
            : (item.state & QStyle::State_Active) ? QPalette::Normal
                                                  : QPalette::Inactive;
        const bool selected = item.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(
            item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        // Only the lines in sight are laid out and drawn: a long row may be many screens tall.
        const QPointF origin(item.rect.left() + kTextMargin, item.rect.top() + kRowSpacing / 2);
        const QRectF sight = painter->hasClipping() ? painter->clipBoundingRect()
                                                    : QRectF(0, 0, painter->device()->width(),
                                                             painter->device()->height());
        QTextLayout layout(rowText(index), item.font);
        layOut(layout, std::max(1, item.rect.width() - 2 * kTextMargin),
               sight.bottom() - origin.y());
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            const qreal top = origin.y() + line.y();
            if (top > sight.bottom())
                break;
            if (top + line.height() >= sight.top())
                line.draw(painter, origin);
        }
        painter->restore();

        if (item.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(item);
            focus.backgroundColor =
                item.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
        }
    }
};

} // namespace

LiveLogView::LiveLogView(const QString& accessibleName, std::shared_ptr<ClipboardWriting> clipboard,
                         QWidget* parent)
    : QTableView(parent), clipboard_(std::move(clipboard)) {
    static const bool heard = (QAccessible::installFactory(liveLogAccessible), true);
    Q_UNUSED(heard);
    lines_ = new LiveLogLines(this);
    setModel(lines_);
    setItemDelegate(new LiveLogRowDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    setShowGrid(false);
    setCornerButtonEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows wrap at the view's width: nothing to scroll to sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    fitRows();
    setAccessibleName(accessibleName);
    // A stop in the sheet's reading order; Tab goes on to the next control, not the next row.
    setFocusPolicy(Qt::StrongFocus);
    setTabKeyNavigation(false);

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

bool LiveLogView::event(QEvent* event) {
    // Copy and Select All are the log's own while it has the focus, before a menu's or the
    // window's shortcut with the same keys.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void LiveLogView::keyPressEvent(QKeyEvent* event) {
    // The selected lines, whole; the table alone would copy the current row.
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        event->accept();
    } else {
        QTableView::keyPressEvent(event);
    }
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

void LiveLogView::setRowIdentifier(std::function<QString(const QString&)> identify) {
    lines_->setIdentify(std::move(identify));
}

void LiveLogView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // Every row is one line high again until it is measured in the new font.
        std::fill(measuredAt_.begin(), measuredAt_.end(), 0);
        fitRows();
        measureVisibleRows();
    }
}

void LiveLogView::resizeEvent(QResizeEvent* event) {
    const QScrollBar* bar = verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    QTableView::resizeEvent(event);
    fitColumn();
    if (atBottom)
        showNewest();
}

void LiveLogView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    measureVisibleRows();
}

// Tab lands on the newest line in sight, where the log is, not on its first line or on one
// scrolled away.
void LiveLogView::focusInEvent(QFocusEvent* event) {
    const bool inSight = viewport()->rect().intersects(visualRect(currentIndex()));
    if (event->reason() != Qt::MouseFocusReason && !inSight && lines_->rowCount() > 0) {
        int row = rowAt(viewport()->height() - 1);
        if (row < 0)
            row = lines_->rowCount() - 1;
        // A row cut by the bottom edge would scroll the view when it became current.
        if (row > rowAt(0) && rowViewportPosition(row) + rowHeight(row) > viewport()->height())
            --row;
        selectionModel()->setCurrentIndex(lines_->index(row, 0), QItemSelectionModel::NoUpdate);
    }
    QTableView::focusInEvent(event);
}

void LiveLogView::fitRows() {
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowSpacing);
}

// The column is the view's width; the rows in sight are measured again at a new width.
void LiveLogView::fitColumn() {
    const int width = std::max(1, viewport()->width());
    if (horizontalHeader()->sectionSize(0) == width)
        return;
    horizontalHeader()->resizeSection(0, width);
    measureVisibleRows();
}

bool LiveLogView::measureRows(int first, int last) {
    const int width = columnWidth(0);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = QRect(0, 0, width, verticalHeader()->defaultSectionSize());
    QAbstractItemDelegate* delegate = itemDelegate();
    bool changed = false;
    // The header places its sections again after each resize unless it is told to wait.
    verticalHeader()->setUpdatesEnabled(false);
    for (int row = first; row <= last; ++row) {
        const int height = delegate->sizeHint(option, lines_->index(row, 0)).height();
        measuredAt_[row] = width;
        if (rowHeight(row) != height) {
            setRowHeight(row, height);
            changed = true;
        }
    }
    verticalHeader()->setUpdatesEnabled(true);
    return changed;
}

bool LiveLogView::measureVisibleRows() {
    const int top = rowAt(0);
    if (measuring_ || top < 0)
        return false;
    measuring_ = true;
    const int width = columnWidth(0);
    const int rows = lines_->rowCount();
    bool changed = false;
    for (int row = top, y = rowViewportPosition(top); row < rows && y < viewport()->height();
         ++row) {
        if (measuredAt_[row] != width)
            changed = measureRows(row, row) || changed;
        y += rowHeight(row);
    }
    if (changed)
        updateGeometries();
    measuring_ = false;
    return changed;
}

// The newest line in sight; rows above it measured at a new width may push it down once.
void LiveLogView::showNewest() {
    scrollToBottom();
    if (measureVisibleRows())
        scrollToBottom();
}

void LiveLogView::takeFrame() {
    if (!owner_ || !source_)
        return;
    const QStringList& all = source_();
    const qsizetype shown = lines_->lines().size();
    // As many lines as the frame has room for, and at least one; a line on one line of the
    // view costs no layout.
    const int width = std::max(1, columnWidth(0) - 2 * kTextMargin);
    qsizetype count = 0;
    for (qsizetype characters = 0; shown + count < all.size() && count < kLinesPerFrame;) {
        const QString& line = all.at(shown + count);
        if (!fitsWithoutShaping(font(), fontMetrics(), line, width))
            characters += std::min(line.size(), LiveLogLines::kShownCharacters);
        if (count > 0 && characters > kCharactersPerFrame)
            break;
        ++count;
    }
    if (count <= 0)
        return;
    lines_->append(all, shown, count);
    measuredAt_.resize(lines_->rowCount(), 0);
    if (measureRows(int(shown), int(shown + count - 1)))
        updateGeometries();
    showNewest();
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
