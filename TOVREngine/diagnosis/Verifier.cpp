#include "diagnosis/Verifier.h"

#include "platform/Concurrently.h"
#include "platform/Error.h"
#include "platform/TaskLatches.h"
#include "platform/TextTrimming.h"
#include "ui/BackgroundCall.h"

#include <QObject>

namespace tovr {

namespace {

const QString kJavaHomeMarker = QStringLiteral("__QLM_VERIFY_JAVA_HOME__:");

// One fresh login shell; a shell that cannot start gives "" and -1.
ProcessResult askLoginShell(const ShellRunner& shell, const QString& command, WorkerTask* task) {
    const auto latch = task ? latchFor(*task) : nullptr;
    try {
        return shell.runInLoginShell(command, latch.get());
    } catch (const Error&) {
        return ProcessResult{-1, {}, {}};
    }
}

} // namespace

bool Verifier::Result::isPassing(bool requireJavaHome) const {
    if (javaVersionExitCode != 0)
        return false;
    if (!javaVersionOutput.toLower().contains(QLatin1String("version")))
        return false;
    if (!requireJavaHome)
        return true;
    return javaHomeValue && !javaHomeValue->isEmpty();
}

Verifier::Result Verifier::verify(WorkerTask* task) const {
    // Each shell has a latch of its own: a latch guards one child at a time.
    auto [version, home] = concurrently(
        [&] { return askLoginShell(shell, QStringLiteral("java -version 2>&1"), task); },
        [&] {
            return askLoginShell(shell, QStringLiteral("echo ") + kJavaHomeMarker + "$JAVA_HOME",
                                 task);
        });
    return Result{version.stdout_, version.exitCode, markedReply(home.stdout_, kJavaHomeMarker)};
}

std::shared_ptr<WorkerTask> Verifier::verifyInBackground(QObject* receiver,
                                                         std::function<void(Result)> done) const {
    auto task = runInBackground(
        receiver, [verifier = *this](WorkerTask& self) { return verifier.verify(&self); },
        std::move(done));
    // A screen that goes away leaves no shell running behind it.
    if (!receiver) {
        task->cancel();
        return task;
    }
    std::weak_ptr<WorkerTask> weak = task;
    QObject::connect(receiver, &QObject::destroyed, [weak] {
        if (auto running = weak.lock())
            running->cancel();
    });
    return task;
}

} // namespace tovr
