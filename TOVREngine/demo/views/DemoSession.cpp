#include "demo/views/DemoSession.h"

#include "demo/DemoDesktop.h"
#include "demo/views/DemoFolderPicker.h"
#include "demo/views/DemoNotes.h"
#include "model/ProductConfig.h"

namespace tovr {

namespace {

// Usage events off, and what the service keeps (its session, its pending file) inside the
// Mac rather than in this machine's settings.
std::shared_ptr<TelemetryService> demoTelemetry(const DemoMac& mac) {
    const ProductConfig product = ProductConfig::current();
    TelemetryService::Configuration configuration;
    configuration.disabled = true;
    configuration.appID = product.appID;
    configuration.appVersion = TelemetryService::Configuration::bundleAppVersion();
    configuration.kvStore = mac.userDefaults();
    configuration.fs = mac.fs();
    configuration.pendingFileURL =
        TelemetryService::Configuration::defaultPendingFile(*mac.fs(), product.appSupportDirName);
    return std::make_shared<TelemetryService>(std::move(configuration));
}

} // namespace

DemoSession::DemoSession(DemoMac::Options options)
    : mac_(std::make_unique<DemoMac>(options)), notes_(std::make_unique<DemoNotes>()) {
    desktop_ = std::make_shared<DemoDesktop>(
        mac_->fs()->homeDirectory(),
        [notes = QPointer<DemoNotes>(notes_.get())](const QString& text) {
            if (notes)
                notes->show(text);
        });
    picker_ = std::make_shared<DemoFolderPicker>(mac_->fs());
    telemetry_ = std::make_unique<TelemetryService::ScopedShared>(demoTelemetry(*mac_));

    context_.services = mac_->services();
    context_.userDefaults = mac_->userDefaults();
    context_.environment = mac_->environment();
    context_.urlOpener = desktop_;
    context_.clipboard = desktop_;
    context_.fileRevealer = desktop_;
    context_.folderPicker = picker_;
}

DemoSession::~DemoSession() = default;

void DemoSession::setWindow(QWidget* window) {
    notes_->setWindow(window);
    picker_->setWindow(window);
}

} // namespace tovr
