#include "TovrinCliApp.h"

#include "model/ProductConfig.h"
#include "products/cli/CliProductConfig.h"
#include "shell/views/TOVRRootView.h"

namespace tovr {

TovrinCliApp::TovrinCliApp() {
    ProductConfig::setCurrent(cliProduct());
}

QWidget* TovrinCliApp::makeWindow(const ScreenContext& base, const QString& titleSuffix) const {
    auto* window = new TOVRRootView(base);
    window->setProperty("tovrTitleSuffix", titleSuffix);
    window->setWindowTitle(ProductConfig::current().displayName + titleSuffix);
    window->setMinimumSize(720, 700);
    window->resize(720, 720);
    return window;
}

} // namespace tovr
