#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tovr {

// Receives each line for the log the moment it is produced.
using LineSink = std::function<void(const QString&)>;

// What a writer did: the sentences to show, in order, and whether it succeeded.
struct WriterReport {
    QStringList lines;
    bool ok = true;

    bool operator==(const WriterReport&) const = default;
};

// Collects a writer's lines and hands each to an optional sink as it comes, so a caller
// can either stream them or show the report afterwards.
class WriterLog {
public:
    explicit WriterLog(LineSink sink = {}) : sink_(std::move(sink)) {}

    void add(const QString& line) {
        report_.lines << line;
        if (sink_)
            sink_(line);
    }
    void fail() { report_.ok = false; }
    const WriterReport& report() const { return report_; }

private:
    LineSink sink_;
    WriterReport report_;
};

} // namespace tovr
