#pragma once

#include <QStringList>

namespace tovr {

// What the install sheet shows of an installer's log: system-log lines and the script's
// closing "Next steps" block are dropped, and the old-macOS warning gets a calming note.
// Pure; any thread.
struct InstallOutputFilter {
    static QStringList filter(const QStringList& lines);

    // The same filter fed a growing log a batch at a time: it carries the "Next steps"
    // state across batches, so the concatenated results equal filter() of the whole log.
    class Incremental {
    public:
        // The lines to show for `lines`, the next lines of the log.
        QStringList feed(const QStringList& lines);

    private:
        bool skipping_ = false;
        int seen_ = 0;
    };

    static constexpr const char* kOldMacOSNote =
        "Note: that Homebrew message is about macOS 13 being an older version. It is not an "
        "error — the install continues normally.";
};

} // namespace tovr
