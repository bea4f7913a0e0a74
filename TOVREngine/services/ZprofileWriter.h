#pragma once

#include "platform/FileAppendWriter.h"

namespace tovr {

// Prepares the "Java configuration" block that makes login shells export JAVA_HOME. The
// block asks /usr/libexec/java_home at each start-up, so it never names a JDK path. Only
// builds the change; the caller shows it or applies it with FileAppendWriter::apply.
struct ZprofileWriter {
    FileAppendWriter writer; // targets ~/.zprofile

    // Throws the read error of a ~/.zprofile that exists but is not UTF-8 text; a missing
    // file reads as empty. Writes nothing.
    FileAppendWriter::DiffPreview previewJavaHome(bool includePathLine) const;

    // Some active line, trimmed, begins with "export JAVA_HOME=" (any value).
    static bool javaHomeAlreadyExported(QStringView text);
};

} // namespace tovr
