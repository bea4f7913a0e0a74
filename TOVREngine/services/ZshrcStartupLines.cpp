#include "services/ZshrcStartupLines.h"

#include "platform/FileAppendWriter.h"

namespace tovr {

QStringList missingZshrcLines(const FileSystemOperating& fs, const ToolLocations& locations,
                              const QList<ZshrcStartupLine>& wanted) {
    QString text;
    try {
        if (const auto zshrc = locations.startupFile(fs.homeDirectory(), QStringLiteral(".zshrc")))
            text = fs.readText(*zshrc);
    } catch (const Error&) {
        // Missing, unreadable or not UTF-8: every line is offered.
    }
    QStringList missing;
    for (const auto& startup : wanted)
        if (!FileAppendWriter::containsActiveLine(text, {startup.needle}))
            missing << startup.line;
    return missing;
}

} // namespace tovr
