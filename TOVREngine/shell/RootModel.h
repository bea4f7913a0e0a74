#pragma once

#include "ui/ScreenContext.h"

#include <QObject>

#include <functional>
#include <memory>

namespace tovr {

class WorkerTask;

// The consent key of the running product: its user-defaults prefix plus ".consented".
QString consentKey();

// One window's root: the consent gate and the start-up task that profiles the Mac and
// sends "app_launched". GUI thread only.
class RootModel : public QObject {
    Q_OBJECT

public:
    // `context` must carry the window's profile and navigation.
    explicit RootModel(ScreenContext context, QObject* parent = nullptr);
    ~RootModel() override;

    const ScreenContext& context() const { return context_; }
    bool hasConsented() const { return hasConsented_; }

    // The consent screen's callback, after it stored the flag.
    void acceptConsent();
    // Runs once, when the navigation stack first shows: starts the read of the login shell
    // and publishes its value to the window when it ends; profiles the Mac off the GUI thread
    // (unless the window has a profile or the services are fixtures), then "app_launched".
    void startupTask();

Q_SIGNALS:
    void changed();

private:
    ScreenContext context_;
    bool hasConsented_ = false;
    bool startupStarted_ = false;
    void readLocations();

    std::shared_ptr<WorkerTask> profiling_;
    std::shared_ptr<WorkerTask> reading_;
};

} // namespace tovr
