#include "platform/ChildProcessRegistry.h"
#include "support/TemporaryHome.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <gmock/gmock.h>

// Every test program gets a Qt application object (queued delivery and the network need
// one), runs in a temporary home and ends with no child process or reader thread left
// behind.
int main(int argc, char** argv) {
    const tovr::test::TemporaryHome home;
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    tovr::ChildProcessRegistry::shared().shutdown();
    return rc;
}
