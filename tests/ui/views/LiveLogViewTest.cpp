#include "support/FakeDesktop.h"
#include "support/ui/WidgetDriver.h"

#include "ui/views/LiveLogView.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

QAction* actionNamed(QWidget* widget, const QString& text) {
    for (QAction* action : widget->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

TEST(LiveLogView, AFloodIsTakenAFrameAtATimeAndEveryLineStaysInOrderToCopy) {
    QObject source;
    QStringList lines;
    auto clipboard = std::make_shared<FakeClipboard>();
    LiveLogView log(QStringLiteral("Output"), clipboard);
    log.resize(400, 200);
    log.show();
    log.setSource(&source, [&]() -> const QStringList& { return lines; });
    const qsizetype total = 2 * LiveLogView::kLinesPerFrame + 1;
    for (qsizetype i = 0; i < total; ++i)
        lines << QStringLiteral("line %1 of a long install").arg(i);
    // Each frame's rows arrive in one insert; a slow machine may run two frames between two
    // looks, so the frames are counted where they happen.
    QList<int> frames;
    QObject::connect(
        log.model(), &QAbstractItemModel::rowsInserted,
        [&](const QModelIndex&, int first, int last) { frames.append(last - first + 1); });
    log.linesAdded();

    // A frame takes its share and no more; the rest follow, newest in view.
    ASSERT_TRUE(spinUntil([&] { return log.lines().size() == total; }));
    EXPECT_EQ(frames,
              (QList<int>{int(LiveLogView::kLinesPerFrame), int(LiveLogView::kLinesPerFrame), 1}));
    EXPECT_EQ(log.lines(), lines);
    settle();
    EXPECT_EQ(log.verticalScrollBar()->value(), log.verticalScrollBar()->maximum());

    // Lines picked out of order copy in the log's order; Select All copies the whole log.
    auto* copy = actionNamed(&log, QStringLiteral("Copy"));
    auto* selectAll = actionNamed(&log, QStringLiteral("Select All"));
    ASSERT_TRUE(copy && selectAll);
    log.selectionModel()->select(log.model()->index(7, 0), QItemSelectionModel::Select);
    log.selectionModel()->select(log.model()->index(3, 0), QItemSelectionModel::Select);
    copy->trigger();
    selectAll->trigger();
    copy->trigger();
    ASSERT_EQ(clipboard->texts.size(), 2);
    EXPECT_EQ(clipboard->texts[0], lines[3] + u'\n' + lines[7]);
    EXPECT_EQ(clipboard->texts[1], lines.join(u'\n'));
}

TEST(LiveLogView, ALongLineScrollsSidewaysToItsEndInAnyFont) {
    QObject source;
    const QStringList lines{QStringLiteral("short"), QString(300, u'x')};
    LiveLogView log(QStringLiteral("Output"), nullptr);
    log.resize(300, 200);
    log.show();
    log.setSource(&source, [&]() -> const QStringList& { return lines; });
    ASSERT_TRUE(spinUntil([&] { return log.lines().size() == 2; }));
    EXPECT_GE(log.columnWidth(0), log.fontMetrics().horizontalAdvance(lines[1]));
    EXPECT_GT(log.horizontalScrollBar()->maximum(), 0);

    // A larger font (the user's text size) widens the column and the rows with it.
    const int narrow = log.columnWidth(0);
    QFont larger = log.font();
    larger.setPointSizeF(larger.pointSizeF() * 2);
    log.setFont(larger);
    EXPECT_GE(log.columnWidth(0), log.fontMetrics().horizontalAdvance(lines[1]));
    EXPECT_GT(log.columnWidth(0), narrow);
    EXPECT_GE(log.rowHeight(0), log.fontMetrics().height());
}
