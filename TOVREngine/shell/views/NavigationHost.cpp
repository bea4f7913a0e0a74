#include "shell/views/NavigationHost.h"

#include "model/ProductConfig.h"
#include "ui/views/ClickGuard.h"
#include "ui/views/KeyboardFocus.h"
#include "ui/views/ScreenTask.h"
#include "ui/views/Typography.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tovr {

NavigationHost::NavigationHost(const ScreenContext& context, QWidget* rootPage,
                               ScreenFactory makeScreen, QWidget* parent)
    : QWidget(parent), context_(context), makeScreen_(std::move(makeScreen)), root_(rootPage) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    stack_ = new QStackedWidget(this);
    stack_->addWidget(root_);
    layout->addWidget(stack_);
    if (context_.navigation)
        connect(context_.navigation, &AppNavigation::changed, this, &NavigationHost::sync);
    sync();
}

QWidget* NavigationHost::currentScreen() const {
    return screens_.isEmpty() ? root_ : screens_.last();
}

void NavigationHost::sync() {
    if (!context_.navigation)
        return;
    const QList<Screen> path = context_.navigation->path();
    // `changed` also fires for the selected goal and next step: only a new path acts.
    if (path == shown_)
        return;
    qsizetype common = 0;
    while (common < path.size() && common < shown_.size() && path[common] == shown_[common])
        ++common;
    while (shown_.size() > common) {
        QWidget* page = pages_.takeLast();
        screens_.removeLast();
        shown_.removeLast();
        stack_->removeWidget(page);
        page->deleteLater();
    }
    QList<QWidget*> started;
    for (qsizetype i = common; i < path.size(); ++i) {
        QWidget* screen = makeScreen_ ? makeScreen_(path[i]) : nullptr;
        if (!screen)
            screen = new QWidget; // a destination with nothing to show: only its back bar
        QWidget* page = wrapWithBackBar(screen, int(i));
        stack_->addWidget(page);
        shown_.append(path[i]);
        pages_.append(page);
        screens_.append(screen);
        started.append(screen);
    }
    const bool uncovered = started.isEmpty();
    QWidget* top = pages_.isEmpty() ? root_ : pages_.last();
    stack_->setCurrentWidget(top);
    // "‹ Back" takes the focus only on a page with nothing else to press.
    focusFirstControl(currentScreen(),
                      top->findChild<QPushButton*>(QStringLiteral("navigation-back")));
    // Home again: the window is the product's; screens above title it themselves.
    if (pages_.isEmpty())
        window()->setWindowTitle(ProductConfig::current().displayName +
                                 window()->property("tovrTitleSuffix").toString());
    guardAgainstSecondClick(top);
    for (QWidget* screen : started)
        if (auto* task = dynamic_cast<ScreenTask*>(screen))
            task->startTask();
    if (uncovered)
        if (auto* task = dynamic_cast<ScreenTask*>(currentScreen()))
            task->screenReappeared();
}

QWidget* NavigationHost::wrapWithBackBar(QWidget* screen, int index) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(12, 8, 12, 0);
    auto* back = makeButton(QStringLiteral("‹ Back"), ButtonRole::borderless,
                            QStringLiteral("navigation-back"), page);
    connect(back, &QPushButton::clicked, this, [this, index] {
        if (!context_.navigation)
            return;
        const QList<Screen> path = context_.navigation->path();
        if (index < path.size())
            context_.navigation->setPath(path.mid(0, index));
    });
    bar->addWidget(back);
    bar->addStretch(1);
    layout->addLayout(bar);
    screen->setParent(page);
    layout->addWidget(screen, 1);
    return page;
}

} // namespace tovr
