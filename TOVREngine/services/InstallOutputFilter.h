#pragma once

#include <QStringList>

namespace tovr {

// What the install sheet shows of an installer's log: system-log lines and the script's
// closing "Next steps" block are dropped, and the old-macOS warning gets a calming note.
// Pure; any thread.
struct InstallOutputFilter {
    static QStringList filter(const QStringList& lines);

    static constexpr const char* kOldMacOSNote =
        "Note: that Homebrew message is about macOS 13 being an older version. It is not an "
        "error — the install continues normally.";
};

} // namespace tovr
