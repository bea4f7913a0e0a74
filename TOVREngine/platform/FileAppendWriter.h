#pragma once

#include "platform/Error.h"
#include "platform/FileSystemOperating.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tovr {

// Appends one marked block to a shell start-up file, never editing what is there: only
// when the setting is not already present, and after saving the old text as "<name>.bak".
// Keeps no state between calls.
class FileAppendWriter {
public:
    // The current date and time; the marker line's date comes from it.
    using Clock = std::function<QDateTime()>;

    // The product's word on every marker line, and whether the line carries the date.
    struct Marker {
        QString word;
        bool dated = false;
        bool operator==(const Marker&) const = default;
    };

    // One change, described before it is made so that it can be shown for review.
    struct DiffPreview {
        QString path;
        QString backupPath;       // beside `path`: its name plus ".bak"
        QString originalContents; // empty when the file does not exist
        QString proposedContents;
        QStringList linesAdded; // marker line first; empty when nothing is appended
        bool alreadySet = false;
        bool wasCreated = false;

        bool operator==(const DiffPreview&) const = default;
    };

    class WriteError : public Error {
    public:
        enum class Kind { backupFailed, writeFailed };

        WriteError(Kind kind, SystemError underlying);
        Kind kind() const { return kind_; }
        const SystemError& underlying() const { return underlying_; }

    private:
        Kind kind_;
        SystemError underlying_;
    };

    // Without a clock the marker is dated with the system's current time.
    FileAppendWriter(QString target, std::shared_ptr<FileSystemOperating> fs, Marker marker,
                     Clock clock = {});

    const QString& target() const { return target_; }

    // "# ", the date ("yyyy-MM-dd", local time) and a blank when the marker is dated, the
    // marker word, " — " and the label.
    static QString markerComment(const QString& label, const QDateTime& date, const Marker& marker);

    // True when a line that is not a comment (after trimming blanks and tabs) contains
    // one of the needles.
    static bool containsActiveLine(QStringView text, const QStringList& needles);
    // True when `matches` accepts a line that is not a comment, trimmed as above.
    static bool anyActiveLine(QStringView text, const std::function<bool(QStringView)>& matches);

    // Appends `line` (one line, or several joined by line feeds) under a marker labelled
    // `label`, unless `needle` is already present: on an active line when `activeLineOnly`,
    // anywhere in the file otherwise. Returns what was done. An existing file that cannot
    // be read as UTF-8 text throws its read error and is left alone; a failed write
    // throws WriteError.
    DiffPreview append(const QString& line, const QString& label, const QString& needle,
                       bool activeLineOnly) const;

    // The change append() would make, built but not written: `lines` under a marker
    // labelled `label`, unless `isPresent` accepts the current text. A missing file reads
    // as empty; an existing file that cannot be read as UTF-8 text throws its read error.
    DiffPreview preview(const QStringList& lines, const QString& label,
                        const std::function<bool(const QString&)>& isPresent) const;

    // Writes a preview: the backup first, then the file. Nothing is written when the file
    // no longer is what the preview was made from, so an edit made since is never lost.
    // The backup holds the file's bytes and permission mode exactly, and a byte-order mark
    // at the file's start stays there.
    void apply(const DiffPreview& preview) const;

private:
    QString target_;
    std::shared_ptr<FileSystemOperating> fs_;
    Marker marker_;
    Clock clock_;
};

} // namespace tovr
