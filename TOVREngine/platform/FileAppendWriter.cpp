#include "platform/FileAppendWriter.h"

#include "platform/LineSplitter.h"
#include "platform/PrivateFiles.h"

#include <QLocale>
#include <QStringDecoder>

#include <cerrno>
#include <optional>

namespace tovr {

namespace {

using WriteError = FileAppendWriter::WriteError;

QString describe(WriteError::Kind kind, const SystemError& underlying) {
    const QString prefix = kind == WriteError::Kind::backupFailed
                               ? QStringLiteral("Couldn't write backup file: ")
                               : QStringLiteral("Couldn't write file: ");
    return prefix + underlying.description();
}

bool isBlank(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QStringView trimBlanks(QStringView line) {
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && isBlank(line[start]))
        ++start;
    while (end > start && isBlank(line[end - 1]))
        --end;
    return line.sliced(start, end - start);
}

// Keeps the block one blank line away from what precedes it.
QString separatorBefore(const QString& text) {
    if (text.isEmpty() || text.endsWith(QStringLiteral("\n\n")))
        return {};
    if (text.endsWith(u'\n'))
        return QStringLiteral("\n");
    return QStringLiteral("\n\n");
}

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

// The file's bytes as readText() would give them: UTF-8, a leading byte-order mark dropped.
std::optional<QString> decodeText(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

FileAppendWriter::WriteError::WriteError(Kind kind, SystemError underlying)
    : Error(describe(kind, underlying)), kind_(kind), underlying_(std::move(underlying)) {}

FileAppendWriter::FileAppendWriter(QString target, std::shared_ptr<FileSystemOperating> fs,
                                   Marker marker, Clock clock)
    : target_(std::move(target)), fs_(std::move(fs)), marker_(std::move(marker)),
      clock_(std::move(clock)) {}

QString FileAppendWriter::markerComment(const QString& label, const QDateTime& date,
                                        const Marker& marker) {
    QString line = QStringLiteral("# ");
    if (marker.dated)
        line += QLocale::c().toString(date.toLocalTime(), QStringLiteral("yyyy-MM-dd")) + u' ';
    return line + marker.word + QStringLiteral(" \u2014 ") + label;
}

bool FileAppendWriter::anyActiveLine(QStringView text,
                                     const std::function<bool(QStringView)>& matches) {
    for (const QString& line : splitTextLines(text)) {
        const QStringView trimmed = trimBlanks(line);
        if (!trimmed.startsWith(u'#') && matches(trimmed))
            return true;
    }
    return false;
}

bool FileAppendWriter::containsActiveLine(QStringView text, const QStringList& needles) {
    return anyActiveLine(text, [&](QStringView line) {
        for (const QString& needle : needles)
            if (line.contains(needle))
                return true;
        return false;
    });
}

FileAppendWriter::DiffPreview FileAppendWriter::append(const QString& line, const QString& label,
                                                       const QString& needle,
                                                       bool activeLineOnly) const {
    DiffPreview result = preview(line.split(u'\n'), label, [&](const QString& old) {
        return activeLineOnly ? containsActiveLine(old, QStringList{needle}) : old.contains(needle);
    });
    apply(result);
    return result;
}

FileAppendWriter::DiffPreview
FileAppendWriter::preview(const QStringList& lines, const QString& label,
                          const std::function<bool(const QString&)>& isPresent) const {
    DiffPreview preview;
    preview.path = target_;
    preview.backupPath = target_ + QStringLiteral(".bak");
    preview.wasCreated = !fs_->fileExists(target_);
    // A file that exists but cannot be read throws here: treating it as empty would
    // replace the user's file with the block alone.
    if (!preview.wasCreated)
        preview.originalContents = fs_->readText(target_);

    const QString& old = preview.originalContents;
    preview.alreadySet = isPresent(old);
    if (preview.alreadySet) {
        preview.proposedContents = old;
    } else {
        const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
        preview.linesAdded << markerComment(label, now, marker_);
        preview.linesAdded << lines;
        preview.proposedContents =
            old + separatorBefore(old) + preview.linesAdded.join(u'\n') + u'\n';
    }
    return preview;
}

void FileAppendWriter::apply(const DiffPreview& preview) const {
    if (preview.alreadySet)
        return;

    // A review sheet may apply a preview long after it was made; if the file changed in
    // the meantime, writing the preview would throw that change away.
    const bool exists = fs_->fileExists(preview.path);
    bool unchanged = exists != preview.wasCreated;
    QByteArray originalBytes;
    int originalMode = 0600;
    if (unchanged && exists) {
        try {
            originalBytes = fs_->readData(preview.path);
            originalMode = backupModeOf(*fs_, preview.path);
        } catch (const SystemError& error) {
            throw WriteError(WriteError::Kind::writeFailed, error);
        }
        unchanged = decodeText(originalBytes) == preview.originalContents;
    }
    if (!unchanged)
        throw WriteError(
            WriteError::Kind::writeFailed,
            SystemError(ESTALE, preview.path + QStringLiteral(" changed since it was shown")));

    const bool hasByteOrderMark = originalBytes.startsWith(kByteOrderMark);
    const QString text =
        hasByteOrderMark ? QChar(0xFEFF) + preview.proposedContents : preview.proposedContents;
    try {
        writeWithBackup(*fs_, preview.path, text.toUtf8(), std::nullopt, preview.backupPath,
                        originalBytes, originalMode);
    } catch (const BackupError& error) {
        throw WriteError(WriteError::Kind::backupFailed, error);
    } catch (const SystemError& error) {
        throw WriteError(WriteError::Kind::writeFailed, error);
    }
}

} // namespace tovr
