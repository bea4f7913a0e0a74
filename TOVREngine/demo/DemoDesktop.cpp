#include "demo/DemoDesktop.h"

#include <QFileInfo>
#include <QUrl>

namespace tovr {

namespace {

QString shown(const QString& path, const QString& home) {
    if (path == home)
        return QStringLiteral("~");
    return path.startsWith(home + u'/') ? u'~' + path.mid(home.size()) : path;
}

// "A", "A and B", "A, B and C".
QString listed(const QStringList& names) {
    if (names.size() < 2)
        return names.value(0);
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           names.last();
}

} // namespace

QString DemoDesktop::openNote(const QUrl& url, const QString& home) {
    if (!url.isLocalFile())
        return QStringLiteral("On a Mac this opens %1 in the web browser.")
            .arg(url.toDisplayString());
    const QString path = url.toLocalFile();
    if (path.endsWith(QLatin1String(".app")))
        return QStringLiteral("On a Mac this opens %1.").arg(QFileInfo(path).completeBaseName());
    return QStringLiteral("On a Mac this opens %1.").arg(shown(path, home));
}

QString DemoDesktop::copyNote(const QString& text) {
    QString shortened = text.simplified();
    if (shortened.size() > 60)
        shortened = shortened.left(59) + QStringLiteral("…");
    return QStringLiteral("On a Mac this copies “%1” to the clipboard.").arg(shortened);
}

QString DemoDesktop::revealNote(const QStringList& paths, const QString& home) {
    QStringList names;
    for (const QString& path : paths)
        names << QFileInfo(path).fileName();
    const QString folder = QFileInfo(paths.value(0)).path();
    return QStringLiteral("On a Mac this opens a Finder window of %1 with %2 selected.")
        .arg(shown(folder, home), listed(names));
}

void DemoDesktop::open(const QUrl& url) {
    say(openNote(url, home_));
}

void DemoDesktop::setText(const QString& text) {
    say(copyNote(text));
}

void DemoDesktop::reveal(const QStringList& paths) {
    if (!paths.isEmpty())
        say(revealNote(paths, home_));
}

void DemoDesktop::say(const QString& text) const {
    if (note_)
        note_(text);
}

} // namespace tovr
