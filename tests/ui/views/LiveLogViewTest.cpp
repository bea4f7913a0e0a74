#include "support/FakeDesktop.h"
#include "support/ui/WidgetDriver.h"

#include "ui/views/LiveLogView.h"

#include <QAccessible>
#include <QAction>
#include <QItemSelectionModel>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cmath>

using namespace tovr;
using namespace tovr::test;

namespace {

QAction* actionNamed(QWidget* widget, const QString& text) {
    for (QAction* action : widget->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// Counts the rows the log measures, each measured by the log's own delegate.
class CountingDelegate final : public QAbstractItemDelegate {
public:
    // Owned by the log, as the log's own delegate is.
    CountingDelegate(QAbstractItemDelegate* inner, QObject* owner)
        : QAbstractItemDelegate(owner), inner_(inner) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        inner_->paint(painter, option, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        ++measured;
        return inner_->sizeHint(option, index);
    }
    mutable int measured = 0;

private:
    QAbstractItemDelegate* inner_;
};

struct ShownLog {
    QObject source;
    QStringList lines;
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    LiveLogView log{QStringLiteral("Output"), clipboard};
    CountingDelegate* counting = new CountingDelegate(log.itemDelegate(), &log);
    QList<int> frames; // the rows each frame took

    explicit ShownLog(QSize size) {
        log.setItemDelegate(counting);
        log.resize(size);
        log.show();
        log.setSource(&source, [this]() -> const QStringList& { return lines; });
        // A slow machine may run two frames between two looks: frames are counted as they come.
        QObject::connect(
            log.model(), &QAbstractItemModel::rowsInserted,
            [this](const QModelIndex&, int first, int last) { frames.append(last - first + 1); });
    }
    // A frame measures its new rows and at most the rows in sight, never every row again.
    int measuredAtMost() const {
        const int inSight = log.viewport()->height() / log.fontMetrics().height() + 2;
        return int(lines.size()) + int(frames.size()) * inSight;
    }
    QAccessibleInterface* accessible() { return QAccessible::queryAccessibleInterface(&log); }
};

} // namespace

TEST(LiveLogView, AFloodIsTakenAFrameAtATimeAndEveryLineStaysInOrderToCopyByHandOrScreenReader) {
    ShownLog shown(QSize(400, 200));
    const qsizetype total = 2 * LiveLogView::kLinesPerFrame + 1;
    for (qsizetype i = 0; i < total; ++i)
        shown.lines << QStringLiteral("line %1 of a long install").arg(i);
    LiveLogView& log = shown.log;
    log.linesAdded();

    // A frame takes its share and no more; the rest follow, newest in view.
    ASSERT_TRUE(spinUntil([&] { return log.lines().size() == total; }));
    EXPECT_EQ(shown.frames,
              (QList<int>{int(LiveLogView::kLinesPerFrame), int(LiveLogView::kLinesPerFrame), 1}));
    EXPECT_EQ(log.lines(), shown.lines);
    EXPECT_LE(shown.counting->measured, shown.measuredAtMost());
    EXPECT_TRUE(spinUntil(
        [&] { return log.verticalScrollBar()->value() == log.verticalScrollBar()->maximum(); }));

    // A screen reader picks rows out of order (the table's row selection, a row's toggle) and
    // copies them in the log's order.
    QAccessibleInterface* face = shown.accessible();
    ASSERT_TRUE(face && face->tableInterface() && face->actionInterface());
    EXPECT_TRUE(face->tableInterface()->selectRow(7));
    face->child(3)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(face->tableInterface()->selectedRows(), (QList<int>{3, 7}));
    EXPECT_TRUE(face->child(3)->state().selected);
    face->actionInterface()->doAction(QStringLiteral("Copy"));

    // By keyboard: Tab lands on the newest line, Shift+Up takes the one above too; then all.
    log.clearSelection();
    log.activateWindow();
    log.clearFocus();
    log.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(spinUntil([&] { return log.hasFocus(); }));
    QTest::keyClick(&log, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(&log, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&log, Qt::Key_A, Qt::ControlModifier);
    actionNamed(&log, QStringLiteral("Copy"))->trigger();
    ASSERT_EQ(shown.clipboard->texts.size(), 3);
    EXPECT_EQ(shown.clipboard->texts[0], shown.lines[3] + u'\n' + shown.lines[7]);
    EXPECT_EQ(shown.clipboard->texts[1], shown.lines[total - 2] + u'\n' + shown.lines[total - 1]);
    EXPECT_EQ(shown.clipboard->texts[2], shown.lines.join(u'\n'));
}

TEST(LiveLogView, ALongLineWrapsInAnyFontAndAHugeOneIsShownShortAndCopiedWhole) {
    ShownLog shown(QSize(300, 200));
    const QString huge(1 << 20, u'y');
    shown.lines = {QStringLiteral("short"), QString(300, u'x'), huge};
    LiveLogView& log = shown.log;
    ASSERT_TRUE(spinUntil([&] { return log.lines().size() == 3; }));

    // The long line wraps at the view's width: all of it in sight without scrolling sideways.
    const auto wrapsWhole = [&] {
        const double width = log.viewport()->width();
        const int rows =
            int(std::ceil(log.fontMetrics().horizontalAdvance(shown.lines[1]) / width));
        return log.columnWidth(0) <= width && log.rowHeight(1) >= rows * log.fontMetrics().height();
    };
    log.scrollToTop();
    EXPECT_TRUE(wrapsWhole());
    EXPECT_FALSE(log.horizontalScrollBar()->isVisible());
    // A larger font (the user's text size) and a narrower view make the row taller.
    const int before = log.rowHeight(1);
    QFont larger = log.font();
    larger.setPointSizeF(larger.pointSizeF() * 2);
    log.setFont(larger);
    log.resize(200, 200);
    EXPECT_TRUE(spinUntil([&] { return wrapsWhole() && log.rowHeight(1) > before; }));

    // A megabyte on one line is shown shortened and copied whole.
    const QString row = log.model()->index(2, 0).data().toString();
    EXPECT_LT(row.size(), huge.size() / 10);
    EXPECT_TRUE(row.endsWith(u'…'));
    shown.accessible()->tableInterface()->selectRow(2);
    log.copySelection();
    EXPECT_EQ(shown.clipboard->texts.value(0), huge);

    // A flood of such lines is taken a few at a frame, each frame measuring only its own.
    shown.frames.clear();
    shown.counting->measured = 0;
    for (int i = 0; i < 40; ++i)
        shown.lines.append(huge);
    log.linesAdded();
    ASSERT_TRUE(spinUntil([&] { return log.lines().size() == shown.lines.size(); }));
    for (int frame : shown.frames)
        EXPECT_LE(frame * row.size(), LiveLogView::kCharactersPerFrame + row.size());
    EXPECT_LE(shown.counting->measured, shown.measuredAtMost());
}
