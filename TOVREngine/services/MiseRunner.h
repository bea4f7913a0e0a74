#pragma once

#include "platform/EventStream.h"
#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"
#include "platform/StreamEvent.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace tovr {

// Installs and selects Java through mise in the user's login shell, where `mise` is found
// on PATH, and tells whether ~/.zshrc still lacks mise's activation.
struct MiseRunner {
    QString miseExecutable;
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;

    // Installs java@`version` (for example "temurin-21") and, only when that worked, makes
    // it the global Java; one shell run.
    EventStream<StreamEvent> installJava(const QString& version) const;
    EventStream<StreamEvent> useGlobalJava(const QString& version) const;

    // The activation line, unless ~/.zshrc already activates mise.
    QStringList ensureShellActivation() const;
};

} // namespace tovr
