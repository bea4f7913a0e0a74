#pragma once

#include <QString>
#include <QStringList>

namespace tovr {

// What a file-writing fix reports: the sentences to show, one output line each, and
// whether it succeeded (exit code 0, else 1). Writers never throw; every failure is a
// sentence here.
struct WriterOutcome {
    QStringList sentences;
    bool success = true;

    bool operator==(const WriterOutcome&) const = default;
};

} // namespace tovr
