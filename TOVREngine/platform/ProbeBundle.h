#pragma once

#include "platform/JDKInfo.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace tovr {

// What was found about Java on the Mac.
struct ProbeBundle {
    std::optional<QString> whichJava;             // the `java` the PATH finds
    QList<JDKInfo> installedJDKs;                 // locator entries, then folder-scan finds
    QStringList jvmDirContents;                   // the system JVM folder, in listing order
    std::optional<QString> javaHomeInActiveShell; // JAVA_HOME of a fresh login shell
    bool operator==(const ProbeBundle&) const = default;
};

} // namespace tovr
