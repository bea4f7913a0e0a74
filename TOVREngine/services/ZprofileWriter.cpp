#include "services/ZprofileWriter.h"

#include "platform/LineSplitter.h"

namespace tovr {

FileAppendWriter::DiffPreview ZprofileWriter::previewJavaHome(bool includePathLine) const {
    QStringList lines{QStringLiteral("export JAVA_HOME=$(/usr/libexec/java_home)")};
    if (includePathLine)
        lines << QStringLiteral("export PATH=\"$JAVA_HOME/bin:$PATH\"");
    return writer.preview(lines, QStringLiteral("Java configuration"),
                          [](const QString& text) { return javaHomeAlreadyExported(text); });
}

bool ZprofileWriter::javaHomeAlreadyExported(QStringView text) {
    for (const QString& line : splitTextLines(text)) {
        const QString trimmed = line.trimmed();
        if (!trimmed.startsWith(u'#') && trimmed.startsWith(u"export JAVA_HOME="))
            return true;
    }
    return false;
}

} // namespace tovr
