#include "support/QtPrinting.h"
#include "support/SpinUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUuid>

#include <csignal>
#include <sys/stat.h>

namespace {

// A temporary folder and a home folder of the test's own.
struct Folders {
    QTemporaryDir scratch;
    QString tmp = scratch.filePath("tmp");
    QString home = scratch.filePath("home");
    bool made = scratch.isValid() && QDir().mkpath(tmp) && QDir().mkpath(home);
};

// The environment `make run` gives the application, in folders of the test's own: no XDG
// folders, no desktop session (no runtime folder, no session bus), the offscreen platform.
QProcessEnvironment demoEnvironment(const QString& tmp, const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "DISPLAY",
                             "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY"})
        environment.remove(name);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("TOVR_DEMO", "1");
    environment.insert("TMPDIR", tmp);
    environment.insert("HOME", home);
    return environment;
}

QStringList demoFoldersOf(const QString& folder, qint64 pid) {
    return QDir(folder).entryList({"tovr-demo-mac-" + QString::number(pid) + "-*"}, QDir::Dirs);
}

// The processes, the application's own and what it started however far removed, that
// carry `marker` in their environment.
QStringList processesMarked(const QByteArray& marker) {
    QStringList found;
#ifdef __APPLE__
    QProcess ps; // -E: each of our own processes' environment after its command
    ps.start("/bin/ps", {"-A", "-E", "-ww", "-o", "pid=,command="});
    ps.waitForFinished();
    for (const QByteArray& line : ps.readAllStandardOutput().split('\n'))
        if (line.split(' ').contains(marker))
            found << QString::fromLatin1(line.trimmed().split(' ').first());
#else
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile environ("/proc/" + pid + "/environ");
        if (pid.toLongLong() > 0 && environ.open(QIODevice::ReadOnly) &&
            environ.readAll().split('\0').contains(marker))
            found << pid;
    }
#endif
    return found;
}

#ifdef TOVR_INSTALL_SHEET_DRIVER
// The sanitizer runtime this test program runs with, if any: a sanitized application wants
// it loaded before anything preloaded.
QString sanitizerRuntime() {
#ifdef __linux__ // a Mac's loader needs no such order
    QFile maps("/proc/self/maps");
    if (maps.open(QIODevice::ReadOnly))
        for (const QByteArray& line : maps.readAll().split('\n')) {
            const QString path = QString::fromLocal8Bit(line.mid(line.indexOf('/')));
            if (line.contains('/') &&
                (path.contains("/libasan.so") || path.contains("/libtsan.so")))
                return path;
        }
#endif
    return {};
}

// The demo's environment with `marker` and the library that drives it to a running install.
QProcessEnvironment drivenEnvironment(QProcessEnvironment environment, const QByteArray& marker) {
    const QList<QByteArray> parts = marker.split('=');
    environment.insert(QString::fromLatin1(parts.first()), QString::fromLatin1(parts.last()));
    const QString variable =
        QSysInfo::kernelType() == "darwin" ? "DYLD_INSERT_LIBRARIES" : "LD_PRELOAD";
    QStringList preload{sanitizerRuntime(), TOVR_INSTALL_SHEET_DRIVER, environment.value(variable)};
    preload.removeAll(QString());
    environment.insert(variable, preload.join(':'));
    return environment;
}

QByteArray newMarker() {
    return "TOVR_TEST_RUN=" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
}

// Reads `process`'s output until the driver says the install sheet runs.
[[nodiscard]] bool waitForRunningInstall(QProcess& process) {
    QByteArray said;
    return tovr::test::spinUntil(
        [&] {
            said += process.readAllStandardOutput();
            return said.contains("install-sheet-running\n");
        },
        60000);
}
#endif

// Everything under `folder`, to tell that nothing was written there.
QStringList entriesUnder(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next();
    return entries;
}

} // namespace

// The built application, started as `make run` starts it, over the demo Mac.
TEST(DemoApplication, SigtermRemovesItsMacAndLeftoversOfKilledRuns) {
    const Folders folders;
    ASSERT_TRUE(folders.made);
    const QString& tmp = folders.tmp;
    const QString& home = folders.home;

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
    app.setProcessEnvironment(demoEnvironment(tmp, home));
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

// With no desktop session Qt asks for a runtime folder; it is made inside the demo's folder
// and goes with it, and nothing else appears beside it.
TEST(DemoApplication, QtsRuntimeFolderIsInsideTheDemoFolder) {
    const Folders folders;
    ASSERT_TRUE(folders.made);
    const QString& tmp = folders.tmp;
    const QString& home = folders.home;
    QProcess app;
    app.setProcessEnvironment(demoEnvironment(tmp, home));
    app.start(TOVR_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted());
    QStringList own;
    ASSERT_TRUE(tovr::test::spinUntil(
        [&] { return !(own = demoFoldersOf(tmp, app.processId())).isEmpty(); }, 20000));
    const QString runtime = tmp + '/' + own.first() + "/runtime";
    ASSERT_TRUE(tovr::test::spinUntil([&] { return QFileInfo(runtime).isDir(); }, 20000));
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(runtime).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // Qt has asked for its runtime folder once the Mac is being made.
    ASSERT_TRUE(tovr::test::spinUntil(
        [&] { return !QDir(tmp + '/' + own.first()).entryList({"mac-*"}, QDir::Dirs).isEmpty(); },
        20000));
    EXPECT_EQ(QDir(tmp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), own);

    ::kill(pid_t(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    EXPECT_EQ(entriesUnder(tmp), QStringList());
    EXPECT_EQ(entriesUnder(home), QStringList());
}

// A TMPDIR that names nothing is the system's temporary folder, and the working folder is
// never searched for leftovers; one that names a file ends the start with a plain message.
TEST(DemoApplication, AMissingTemporaryFolderFallsBackAndAFileIsRefused) {
    const Folders folders;
    ASSERT_TRUE(folders.made);
    const QTemporaryDir& scratch = folders.scratch;
    const QString& work = folders.tmp; // the working folder, this time
    const QString& home = folders.home;
    QProcess gone;
    gone.start("/bin/sh", {"-c", "exit 0"});
    ASSERT_TRUE(gone.waitForStarted() && gone.waitForFinished());
    const QString lookAlike =
        work + "/tovr-demo-mac-" + QString::number(gone.processId()) + "-Abc123";
    ASSERT_TRUE(QDir().mkpath(lookAlike + "/Users/dev"));

    QProcess app;
    app.setWorkingDirectory(work);
    app.setProcessEnvironment(demoEnvironment(scratch.filePath("missing"), home));
    app.start(TOVR_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted());
    const QString system = "/tmp";
    ASSERT_TRUE(tovr::test::spinUntil(
        [&] { return !demoFoldersOf(system, app.processId()).isEmpty(); }, 20000));
    EXPECT_TRUE(demoFoldersOf("/", app.processId()).isEmpty());
    ::kill(pid_t(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    EXPECT_TRUE(demoFoldersOf(system, app.processId()).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(lookAlike));
    EXPECT_FALSE(QFileInfo::exists(scratch.filePath("missing")));

    const QString file = scratch.filePath("a-file");
    {
        QFile made(file);
        ASSERT_TRUE(made.open(QIODevice::WriteOnly));
    }
    QProcess refused;
    refused.setWorkingDirectory(work);
    refused.setProcessEnvironment(demoEnvironment(file, home));
    refused.start(TOVR_APP_BINARY, {});
    ASSERT_TRUE(refused.waitForFinished(20000));
    EXPECT_EQ(refused.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(refused.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(refused.readAllStandardError()).trimmed(),
              "TMPDIR is set to " + file +
                  ", which is not a folder. Point it at a folder you can write to, or unset it.");
    EXPECT_EQ(entriesUnder(home), QStringList());
}

#ifdef TOVR_INSTALL_SHEET_DRIVER
// SIGTERM while an install runs: the run is canceled and the application ends at once, with
// nothing it started still running and its folder gone. A library preloaded into it presses
// its way to the install and says when the sheet runs.
TEST(DemoApplication, SigtermDuringAnInstallEndsTheRunAndTheApplication) {
    const Folders folders;
    ASSERT_TRUE(folders.made);
    const QString& tmp = folders.tmp;
    const QString& home = folders.home;
    const QByteArray marker = newMarker();
    QProcess app;
    app.setProcessEnvironment(drivenEnvironment(demoEnvironment(tmp, home), marker));
    app.start(TOVR_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted());
    ASSERT_TRUE(waitForRunningInstall(app)) << app.readAllStandardError().toStdString();

    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(app.processId()), SIGTERM);
    const bool ended = app.waitForFinished(5000);
    EXPECT_TRUE(ended) << "still running " << clock.elapsed() << " ms after SIGTERM";
    if (!ended) {
        app.kill();
        app.waitForFinished();
    }
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    EXPECT_EQ(processesMarked(marker), QStringList());
    EXPECT_EQ(entriesUnder(tmp), QStringList());
    EXPECT_EQ(entriesUnder(home), QStringList());
}

// On a display without a session bus nothing starts one (the accessibility bridge would
// have libdbus autolaunch dbus-launch, which outlives the application and writes into the
// home folder). The display outlives the application, as a desktop does: a bus tied to it
// would still run when the processes are looked at. Needs Xvfb, and dbus-launch to show
// the fault.
TEST(DemoApplication, OnADisplayWithoutASessionBusNoBusIsStarted) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty() || QStandardPaths::findExecutable("dbus-launch").isEmpty())
        GTEST_SKIP() << "needs Xvfb and dbus-launch";
    const Folders folders;
    ASSERT_TRUE(folders.made);
    const QString& tmp = folders.tmp;
    const QString& home = folders.home;
    QProcess display; // prints the number of the free display it took
    display.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp"});
    ASSERT_TRUE(display.waitForStarted());
    QByteArray number;
    ASSERT_TRUE(tovr::test::spinUntil([&] {
        number += display.readAllStandardOutput();
        return number.endsWith('\n');
    }));
    const QByteArray marker = newMarker();
    QProcessEnvironment environment = drivenEnvironment(demoEnvironment(tmp, home), marker);
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("DISPLAY", ":" + QString::fromLatin1(number.trimmed()));
    QProcess app;
    app.setProcessEnvironment(environment);
    app.start(TOVR_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted());
    ASSERT_TRUE(waitForRunningInstall(app)) << app.readAllStandardError().toStdString();

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    EXPECT_TRUE(tovr::test::spinUntil([&] { return processesMarked(marker).isEmpty(); }, 5000))
        << processesMarked(marker).join(' ').toStdString();
    EXPECT_EQ(entriesUnder(home), QStringList());
    EXPECT_EQ(entriesUnder(tmp), QStringList());
}
#endif
