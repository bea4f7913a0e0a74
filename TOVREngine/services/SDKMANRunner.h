#pragma once

#include "platform/EventStream.h"
#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"
#include "platform/StreamEvent.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace tovr {

// Runs one `sdk` command in the user's login shell after loading SDKMAN from its folder.
struct SDKMANRunner {
    QString sdkmanRoot;
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;

    // `arguments` are the words after "sdk" as they are meant (for example "install",
    // "java" and a candidate); each is quoted here, so callers pass them unquoted.
    EventStream<StreamEvent> run(const QStringList& arguments) const;

    // The script SDKMAN is loaded from.
    QString initScript() const { return sdkmanRoot + QStringLiteral("/bin/sdkman-init.sh"); }
};

} // namespace tovr
