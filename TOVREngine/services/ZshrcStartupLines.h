#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/ToolLocations.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tovr {

// One line a tool needs in ~/.zshrc, and the text whose presence on an active line shows
// that the user already has it (in whatever form).
struct ZshrcStartupLine {
    QString needle;
    QString line;
};

// The lines of `wanted`, in order, whose needle no active line of ~/.zshrc (in $ZDOTDIR when
// set) holds. A missing or unreadable file holds nothing. Writes nothing.
QStringList missingZshrcLines(const FileSystemOperating& fs, const ToolLocations& locations,
                              const QList<ZshrcStartupLine>& wanted);

} // namespace tovr
