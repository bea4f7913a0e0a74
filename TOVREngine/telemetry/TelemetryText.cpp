#include "telemetry/TelemetryText.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <pwd.h>
#include <unistd.h>

namespace tovr {

QString stringPrefix(const QString& text, qsizetype limit) {
    if (limit <= 0)
        return {};
    // Every cluster is at least one UTF-16 unit, so a short text needs no scan.
    if (text.size() <= limit)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype clusters = 0;
    while (finder.toNextBoundary() != -1) {
        if (++clusters == limit)
            return text.left(finder.position());
    }
    return text;
}

namespace {

// Characters that may continue a login name, so "/Users/al" is not redacted inside
// "/Users/alice".
bool continuesName(QChar c) {
    return c.isLetterOrNumber() || c == u'.' || c == u'_' || c == u'-';
}

} // namespace

QString redactHomePath(const QString& text, const QString& userName) {
    if (userName.isEmpty())
        return text;
    const QString home = QStringLiteral("/Users/") + userName;
    QString out;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(home); at != -1; at = text.indexOf(home, from)) {
        const qsizetype end = at + home.size();
        if (end < text.size() && continuesName(text.at(end))) {
            out += QStringView(text).mid(from, end - from);
        } else {
            out += QStringView(text).mid(from, at - from);
            out += QStringLiteral("/Users/~");
        }
        from = end;
    }
    out += QStringView(text).mid(from);
    return out;
}

QString redactHomePath(const QString& text) {
    return redactHomePath(text, currentUserName());
}

QString currentUserName() {
    static const QString name = [] {
        long size = sysconf(_SC_GETPW_R_SIZE_MAX);
        std::string buffer(size > 0 ? size_t(size) : 16384, '\0');
        passwd entry{};
        passwd* found = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_name)
            return QString::fromLocal8Bit(found->pw_name);
        return QString();
    }();
    return name;
}

QString javaVersionExcerpt(const QString& output) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= output.size(); ++i) {
        const bool atEnd = i == output.size();
        if (!atEnd) {
            const char16_t c = output.at(i).unicode();
            if (c != u'\n' && c != u'\v' && c != u'\f' && c != u'\r' && c != u'\u0085' &&
                c != u'\u2028' && c != u'\u2029')
                continue;
        }
        if (i > start)
            lines.append(output.mid(start, i - start));
        start = i + 1;
    }
    QString excerpt;
    for (const auto& line : lines)
        if (line.contains(QStringLiteral("version \""))) {
            excerpt = line;
            break;
        }
    if (excerpt.isEmpty() && !lines.isEmpty())
        excerpt = lines.first();
    return stringPrefix(excerpt, 200);
}

} // namespace tovr
