#include "platform/JdkReleaseFileReader.h"

#include "platform/LineSplitter.h"
#include "platform/TextTrimming.h"

namespace tovr {

QMap<QString, QString> JdkReleaseFileReader::read(const QString& text) const {
    QMap<QString, QString> pairs;
    for (const QString& line : splitTextLines(text)) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = trimHorizontalWhitespace(QStringView(line).left(eq));
        QString value = trimHorizontalWhitespace(QStringView(line).mid(eq + 1));
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        if (key.isEmpty())
            continue;
        pairs.insert(key, value);
    }
    return pairs;
}

} // namespace tovr
