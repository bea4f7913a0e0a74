#include "platform/ChildProcessRegistry.h"
#include "support/TemporaryHome.h"
#include "telemetry/TelemetryService.h"

#include <QApplication>
#include <QStandardPaths>
#include <QStyleHints>

#include <gmock/gmock.h>

// Widget tests: a QApplication on the offscreen platform (set by CTest and here, so a test
// program started by hand needs no display either), in a temporary home. Nothing is left
// running at the end.
int main(int argc, char** argv) {
    const tovr::test::TemporaryHome home;
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A short double-click interval keeps the tests that wait it out quick.
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(40);
    ::testing::InitGoogleMock(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    tovr::ChildProcessRegistry::shared().shutdown();
    return rc;
}
