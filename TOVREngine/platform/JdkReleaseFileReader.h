#pragma once

#include "platform/FileSystemOperating.h"

#include <QMap>
#include <QString>

#include <memory>

namespace tovr {

// Reads the KEY="value" lines of a JDK's release file.
struct JdkReleaseFileReader {
    std::shared_ptr<FileSystemOperating> fs;

    // Keys and values trimmed; one pair of surrounding double quotes removed; a later line
    // with the same key wins; lines without "=" or with an empty key are skipped.
    QMap<QString, QString> read(const QString& text) const;
};

} // namespace tovr
