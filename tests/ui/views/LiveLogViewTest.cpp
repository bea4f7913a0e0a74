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
    log.linesAdded();

    // A frame takes its share and no more; the rest follow, newest in view.
    ASSERT_TRUE(spinUntil([&] { return !log.lines().isEmpty(); }));
    EXPECT_EQ(log.lines().size(), LiveLogView::kLinesPerFrame);
    ASSERT_TRUE(spinUntil([&] { return log.lines().size() == total; }));
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
