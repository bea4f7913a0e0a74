#pragma once

#include <QString>

namespace tovr {

// The one converter for copy that carries inline Markdown: the text is HTML-escaped first,
// then only **bold**, *italics* / _italics_, `code` spans and [links](https://…) are
// rendered. A link to anything but https stays literal text. Line breaks become <br>. A
// backslash before one of \ ` * _ [ ] ( ) keeps that character literal, inside a code span
// too: that is how text from the Mac is spliced in (ui/MarkdownLiteral.h).
QString markdownToHtml(const QString& markdown);

} // namespace tovr
