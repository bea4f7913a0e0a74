#pragma once

#include <QString>

namespace tovr {

// The first `limit` user-perceived characters (grapheme clusters) of `text`; shorter texts
// come back whole.
QString stringPrefix(const QString& text, qsizetype limit);

// Writes the user's home prefix "/Users/<name>/" as "/Users/~/" wherever it occurs, and a
// bare "/Users/<name>" at the end of a word as "/Users/~". An empty name changes nothing.
QString redactHomePath(const QString& text, const QString& userName);
// The same with the login name of the current user.
QString redactHomePath(const QString& text);
// The login name of the current user; empty when it cannot be found.
QString currentUserName();

// The line of a `java -version` style output that names the version (else the first line,
// else empty), cut to 200 characters.
QString javaVersionExcerpt(const QString& output);

} // namespace tovr
