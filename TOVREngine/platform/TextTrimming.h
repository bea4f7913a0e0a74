#pragma once

#include <QString>
#include <QStringView>

namespace tovr {

// Removes spaces, tabs and the other horizontal white space (no line breaks) from both ends.
QString trimHorizontalWhitespace(QStringView text);

} // namespace tovr
