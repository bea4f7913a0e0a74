#pragma once

#include "platform/EventStream.h"
#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"
#include "platform/StreamEvent.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace tovr {

// Makes a JDK jEnv's global Java through the user's login shell, where `jenv` is found on
// PATH, and tells which jEnv lines ~/.zshrc still lacks.
struct JEnvRunner {
    QString jenvRoot;
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;

    // Registers `javaHome` (the JDK's home folder, as it is on disk) and makes `major` the
    // global version. An already known JDK or an already enabled export plug-in does not
    // stop the script; a failing rehash or global does, with its exit code.
    EventStream<StreamEvent> setGlobal(const QString& javaHome, qint64 major) const;

    // The PATH line and the init line, in that order, for those ~/.zshrc lacks.
    QStringList ensureShellInit() const;
};

} // namespace tovr
