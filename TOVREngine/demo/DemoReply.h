#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace tovr {

// One line a demo program prints. `pause` counts the run's line delays before the line
// appears (0: at once), so an install takes a few seconds and a query none.
struct DemoLine {
    QString text;
    bool toStderr = false;
    int pause = 0;
};

// What a demo program does: what it prints, how it exits, and the changes to the Mac that
// take effect when it completes (a canceled install leaves nothing behind).
struct DemoReply {
    QList<DemoLine> lines;
    qint32 exitCode = 0;
    QList<std::function<void()>> effects;
    // The executable does not exist: the run cannot even start.
    std::optional<QString> launchError;

    void print(const QString& text, int pause = 0) { lines.append({text, false, pause}); }
    void printError(const QString& text) { lines.append({text, true, 0}); }
    // `text`'s lines on standard error, and `code`.
    static DemoReply failure(const QString& text, qint32 code);
};

} // namespace tovr
