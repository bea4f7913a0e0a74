#pragma once

#include <QString>
#include <QStringView>

namespace tovr {

// The characters the screens' inline Markdown reads as markup; a backslash before one keeps
// it literal, inside a code span too.
inline constexpr QStringView kMarkdownMarkupCharacters = u"\\`*_[]()";

// Text read from the Mac (a path, a name, an error's description) ready to be spliced into
// copy that is shown as inline Markdown, in a code span or out of one: it shows exactly as
// it is, underscores, asterisks and backticks included.
QString markdownLiteral(const QString& text);

} // namespace tovr
