#pragma once

#include <QString>

namespace tovr {

// Where this process keeps temporary files: TMPDIR's folder when it names one, the system's
// own when TMPDIR is unset, empty or names nothing. A TMPDIR that names a file, or a folder
// this user cannot make folders in, is a problem to report, not a place to fall back from:
// the user pointed it there.
struct TemporaryFolder {
    QString path;    // empty when there is a problem
    QString problem; // a sentence for the user, empty when `path` is good

    // The choice for the value of TMPDIR (`tmpdir`, possibly empty).
    static TemporaryFolder choose(const QString& tmpdir);
    // The choice for this process's TMPDIR; when it differs from the variable, TMPDIR is set
    // to it, so that Qt, this process and its children agree. Before any thread starts.
    static TemporaryFolder settle();

    // The folder used when TMPDIR names none.
    static QString systemFolder();
};

} // namespace tovr
