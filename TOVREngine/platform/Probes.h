#pragma once

#include "platform/CancellableProcess.h"
#include "platform/FileSystemOperating.h"
#include "platform/ProbeBundle.h"
#include "platform/ShellRunner.h"

#include <functional>
#include <memory>

namespace tovr {

// Gathers what is installed of Java: the `java` on the PATH, the JDKs the Java locator
// lists, the system JVM folder and JAVA_HOME of a fresh login shell.
struct Probes {
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;

    // Makes the cancel latch of one probe's child; each child that runs at once has its own.
    using LatchSource = std::function<std::shared_ptr<CancellableProcess>()>;

    // The four probes run at once; never fails: what cannot be found stays empty. With
    // `latches`, cancelling them ends the children, and what they would have found stays
    // empty too.
    ProbeBundle collect(const LatchSource& latches = {}) const;

    // The JDKs in the system folder that the locator did not list, read from their release
    // file or, failing that, their Info.plist.
    QList<JDKInfo> scanInstalledJDKs(const QStringList& folderEntries,
                                     const QList<JDKInfo>& locatorEntries) const;

    // The entries of `java_home -V` (it prints them on standard error).
    static QList<JDKInfo> parseJavaHomeListing(const QString& text);

    static constexpr const char* kSystemJVMFolder = "/Library/Java/JavaVirtualMachines";
    static constexpr const char* kJavaHomeMarker = "__QLM_JAVA_HOME__:";

private:
    std::optional<JDKInfo> readFolderEntry(const QString& name) const;
    std::optional<QString> whichJava(CancellableProcess* latch) const;
    QList<JDKInfo> locatorListing(CancellableProcess* latch) const;
    QStringList folderListing() const;
    std::optional<QString> loginShellJavaHome(CancellableProcess* latch) const;
};

} // namespace tovr
