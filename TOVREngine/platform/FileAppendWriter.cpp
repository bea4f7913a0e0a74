#include "platform/FileAppendWriter.h"

#include "model/ProductConfig.h"
#include "platform/LineSplitter.h"

#include <QLocale>

#include <cerrno>

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

} // namespace

FileAppendWriter::WriteError::WriteError(Kind kind, SystemError underlying)
    : Error(describe(kind, underlying)), kind_(kind), underlying_(std::move(underlying)) {}

FileAppendWriter::FileAppendWriter(QString target, std::shared_ptr<FileSystemOperating> fs,
                                   Clock clock)
    : target_(std::move(target)), fs_(std::move(fs)), clock_(std::move(clock)) {}

QString FileAppendWriter::markerComment(const QString& label, const QDateTime& date,
                                        const ProductConfig& product) {
    QString marker = QStringLiteral("# ");
    if (product.datedShellMarker)
        marker += QLocale::c().toString(date.toLocalTime(), QStringLiteral("yyyy-MM-dd")) + u' ';
    return marker + product.shellConfigMarker + QStringLiteral(" \u2014 ") + label;
}

bool FileAppendWriter::containsActiveLine(QStringView text, const QStringList& needles) {
    for (const QString& line : splitTextLines(text)) {
        const QStringView trimmed = trimBlanks(line);
        if (trimmed.startsWith(u'#'))
            continue;
        for (const QString& needle : needles)
            if (trimmed.contains(needle))
                return true;
    }
    return false;
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
        preview.linesAdded << markerComment(label, now, ProductConfig::current());
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
    if (unchanged && exists) {
        try {
            unchanged = fs_->readText(preview.path) == preview.originalContents;
        } catch (const SystemError& error) {
            throw WriteError(WriteError::Kind::writeFailed, error);
        }
    }
    if (!unchanged)
        throw WriteError(
            WriteError::Kind::writeFailed,
            SystemError(ESTALE, preview.path + QStringLiteral(" changed since it was shown")));

    try {
        bool isDirectory = false;
        if (fs_->fileExists(preview.backupPath, &isDirectory)) {
            // Never delete a folder where a backup file belongs.
            if (isDirectory)
                throw SystemError::fromErrno(EISDIR, preview.backupPath);
            fs_->removeItem(preview.backupPath);
        }
        fs_->write(preview.originalContents, preview.backupPath, true);
    } catch (const SystemError& error) {
        throw WriteError(WriteError::Kind::backupFailed, error);
    }

    try {
        fs_->write(preview.proposedContents, preview.path, true);
    } catch (const SystemError& error) {
        throw WriteError(WriteError::Kind::writeFailed, error);
    }
}

} // namespace tovr
