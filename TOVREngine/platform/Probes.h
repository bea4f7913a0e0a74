#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/ProbeBundle.h"
#include "platform/ShellRunner.h"

#include <memory>

namespace tovr {

// Gathers what is installed of Java: the `java` on the PATH, the JDKs the Java locator
// lists, the system JVM folder and JAVA_HOME of a fresh login shell.
struct Probes {
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;

    // The four probes run at once; never fails: what cannot be found stays empty.
    ProbeBundle collect() const;

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
    std::optional<QString> whichJava() const;
    QList<JDKInfo> locatorListing() const;
    QStringList folderListing() const;
    std::optional<QString> loginShellJavaHome() const;
};

} // namespace tovr
