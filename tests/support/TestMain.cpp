#include "platform/ChildProcessRegistry.h"

#include <QCoreApplication>

#include <gmock/gmock.h>

// Every test program gets a Qt application object (queued delivery and the network need
// one) and ends with no child process or reader thread left behind.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    tovr::ChildProcessRegistry::shared().shutdown();
    return rc;
}
