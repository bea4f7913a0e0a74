#include "demo/DemoGitConfig.h"

#include <QStringList>

namespace tovr::DemoGitConfig {

namespace {

// "[Section]" and "[section \"Sub\"]" as one name: the section in lower case, the
// subsection as written.
std::optional<QString> sectionOf(const QString& line) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'[') || !trimmed.contains(u']'))
        return std::nullopt;
    const QString inside = trimmed.mid(1, trimmed.indexOf(u']') - 1);
    const qsizetype quote = inside.indexOf(u'"');
    if (quote < 0)
        return inside.trimmed().toLower();
    QString sub;
    for (qsizetype i = quote + 1; i < inside.size() && inside[i] != u'"'; ++i)
        sub += inside[i] == u'\\' && i + 1 < inside.size() ? inside[++i] : inside[i];
    return inside.left(quote).trimmed().toLower() + u'.' + sub;
}

// The key's section part and its name, normalised as sectionOf does.
std::pair<QString, QString> split(const QString& key) {
    const QString name = key.section(u'.', -1).toLower();
    const QString section = key.left(key.lastIndexOf(u'.'));
    const qsizetype dot = section.indexOf(u'.');
    if (dot < 0)
        return {section.toLower(), name};
    return {section.left(dot).toLower() + section.mid(dot), name};
}

// The entry's name on an entry line, lower case; empty for anything else.
QString entryName(const QString& line) {
    QString name;
    qsizetype i = 0;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    while (i < line.size() && (line[i].isLetterOrNumber() || line[i] == u'-'))
        name += line[i++];
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    const bool entry = !name.isEmpty() && (i == line.size() || line[i] == u'=');
    return entry ? name.toLower() : QString();
}

// What follows the "=" of an entry line, as git reads it: quotes group, backslash escapes,
// whitespace outside quotes trimmed at the ends, and a comment ends the value.
QString parsedValue(const QString& line) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return QStringLiteral("true"); // a bare name is a boolean
    QString value;
    int spaces = 0;
    bool quoted = false;
    for (qsizetype i = equals + 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (!quoted && (c == u' ' || c == u'\t')) {
            if (!value.isEmpty())
                ++spaces;
            continue;
        }
        if (!quoted && (c == u';' || c == u'#'))
            break;
        value += QString(spaces, u' ');
        spaces = 0;
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == u'\\' && i + 1 < line.size()) {
            const QChar e = line[++i];
            value += e == u'n'   ? QChar(u'\n')
                     : e == u't' ? QChar(u'\t')
                     : e == u'b' ? QChar(u'\b')
                                 : e;
        } else {
            value += c;
        }
    }
    return value;
}

// The value as git writes it: quoted when ends would be trimmed or a comment character
// could cut it, and escaped so that it stays on one line.
QString written(const QString& value) {
    const bool quote = value.startsWith(u' ') || value.endsWith(u' ') || value.contains(u';') ||
                       value.contains(u'#');
    QString out = quote ? QStringLiteral("\"") : QString();
    for (const QChar c : value) {
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else
            out += c;
    }
    return quote ? out + u'"' : out;
}

} // namespace

std::optional<QString> value(const QString& text, const QString& key) {
    const auto [section, name] = split(key);
    QString current;
    std::optional<QString> found; // the last one set wins, as in git
    for (const QString& line : text.split(u'\n')) {
        if (const auto header = sectionOf(line))
            current = *header;
        else if (current == section && entryName(line) == name)
            found = parsedValue(line);
    }
    return found;
}

QString withValue(const QString& text, const QString& key, const QString& value) {
    const auto [section, name] = split(key);
    const QString entry = u'\t' + key.section(u'.', -1) + QStringLiteral(" = ") + written(value);
    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QString current;
    qsizetype lastEntry = -1, sectionEnd = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto header = sectionOf(lines[i])) {
            current = *header;
        } else if (current == section) {
            if (entryName(lines[i]) == name)
                lastEntry = i;
        }
        if (current == section)
            sectionEnd = i;
    }
    if (lastEntry >= 0) {
        lines[lastEntry] = entry;
    } else if (sectionEnd >= 0) {
        lines.insert(sectionEnd + 1, entry);
    } else {
        const qsizetype dot = section.indexOf(u'.');
        lines << (dot < 0 ? u'[' + section + u']'
                          : u'[' + section.left(dot) + QStringLiteral(" \"") +
                                written(section.mid(dot + 1)) + QStringLiteral("\"]"));
        lines << entry;
    }
    return lines.join(u'\n') + u'\n';
}

} // namespace tovr::DemoGitConfig
