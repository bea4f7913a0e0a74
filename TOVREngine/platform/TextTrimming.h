#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tovr {

// Removes spaces, tabs and the other horizontal white space (no line breaks) from both ends.
QString trimHorizontalWhitespace(QStringView text);

// A login shell's marked reply amid what its start-up files print: on the last line that
// holds `marker`, the text after the marker's first occurrence, trimmed as above. Absent when
// no line holds the marker or that text is empty (earlier lines are not looked at).
std::optional<QString> markedReply(QStringView output, QStringView marker);

} // namespace tovr
