#include "support/SpinUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

// The built application, started as `make run` starts it, over the demo Mac.
TEST(DemoApplication, SigtermRemovesItsMacAndLeftoversOfKilledRuns) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString tmp = scratch.filePath("tmp");
    const QString home = scratch.filePath("home");
    ASSERT_TRUE(QDir().mkpath(tmp) && QDir().mkpath(home));

    // What earlier runs left: one of a process that is gone, one of a process that still
    // runs (this one), and a folder that is not the demo's.
    QProcess gone;
    gone.start("/bin/sh", {"-c", "exit 0"});
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 gonePid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished());
    const QStringList kept{"tovr-demo-mac-" + QString::number(QCoreApplication::applicationPid()) +
                               "-Abc123",
                           "tovr-other-" + QString::number(gonePid)};
    const QString killed = "tovr-demo-mac-" + QString::number(gonePid) + "-Xyz789";
    for (const QString& name : kept + QStringList{killed})
        ASSERT_TRUE(QDir().mkpath(tmp + '/' + name + "/Users/dev"));

    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "DISPLAY"})
        environment.remove(name);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("TOVR_DEMO", "1");
    environment.insert("TMPDIR", tmp);
    environment.insert("HOME", home);
    app.setProcessEnvironment(environment);
    app.start(TOVR_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted());
    const QString mine = "tovr-demo-mac-" + QString::number(app.processId()) + "-*";
    auto ownFolders = [&] { return QDir(tmp).entryList({mine}, QDir::Dirs); };
    ASSERT_TRUE(tovr::test::spinUntil([&] { return !ownFolders().isEmpty(); }, 20000));
    // The handler is in place before the Mac is made, so the signal may come at once.
    EXPECT_FALSE(QFileInfo::exists(tmp + '/' + killed));

    ::kill(pid_t(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    EXPECT_TRUE(ownFolders().isEmpty());
    for (const QString& name : kept)
        EXPECT_TRUE(QFileInfo::exists(tmp + '/' + name)) << name.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home + "/.config"));
    EXPECT_FALSE(QFileInfo::exists(home + "/.local"));
}
