#pragma once

#include "model/Screen.h"
#include "ui/ScreenContext.h"

#include <QPointer>
#include <QWidget>

class QStackedLayout;

namespace tovr {

class NavigationHost;
class RootModel;

// The content of a window: the consent gate, then the navigation stack with the welcome
// screen at its root and a screen per destination. It owns the window's navigation and
// profile; `base` gives the services, user defaults and desktop services.
class TOVRRootView : public QWidget {
    Q_OBJECT

public:
    explicit TOVRRootView(const ScreenContext& base, QWidget* parent = nullptr);

    const ScreenContext& context() const { return context_; }
    AppNavigation& navigation() const { return *navigation_; }
    RootModel& model() const { return *model_; }
    NavigationHost* navigationHost() const { return host_; }

    // The screen for one destination.
    QWidget* destination(const Screen& screen);

protected:
    // Tab and Shift-Tab follow reading order, whatever order the controls were built in.
    bool focusNextPrevChild(bool next) override;

private:
    void showGate();
    void pressDefaultButton();

    AppNavigation* navigation_ = nullptr;
    SystemProfileState* profile_ = nullptr;
    ScreenContext context_;
    RootModel* model_ = nullptr;
    QStackedLayout* gate_ = nullptr;
    QPointer<QWidget> consent_;
    NavigationHost* host_ = nullptr;
};

} // namespace tovr
