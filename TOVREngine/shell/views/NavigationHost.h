#pragma once

#include "model/Screen.h"
#include "ui/ScreenContext.h"

#include <QList>
#include <QWidget>

#include <functional>

class QStackedWidget;

namespace tovr {

// The window's navigation stack: the welcome page at the bottom and one page per entry of
// the navigation path above it. On a path change the pages of the common prefix stay, with
// their state; pages above it are deleted later and new ones built and started.
class NavigationHost : public QWidget {
    Q_OBJECT

public:
    using ScreenFactory = std::function<QWidget*(const Screen&)>;

    NavigationHost(const ScreenContext& context, QWidget* rootPage, ScreenFactory makeScreen,
                   QWidget* parent = nullptr);

    // The page on top: the screen's own widget (without the back bar).
    QWidget* currentScreen() const;
    int depth() const { return int(shown_.size()); }

private:
    void sync();
    QWidget* wrapWithBackBar(QWidget* screen, int index);

    ScreenContext context_;
    ScreenFactory makeScreen_;
    QStackedWidget* stack_ = nullptr;
    QWidget* root_ = nullptr;
    QList<Screen> shown_;
    QList<QWidget*> pages_;   // wrappers, one per entry of `shown_`
    QList<QWidget*> screens_; // the screens inside them
};

} // namespace tovr
