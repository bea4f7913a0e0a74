#include "services/PrivilegedExecutor.h"

#include "model/ProductConfig.h"

#include <QUuid>

namespace tovr {

namespace {

constexpr int kOwnerOnly = 0700;

} // namespace

QString PrivilegedExecutor::appleScriptEscaped(const QString& value) {
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    return escaped;
}

QString PrivilegedExecutor::askpassScript(const QString& prompt, const QString& title) {
    // The here-document's delimiter is quoted, so bash hands the AppleScript over as written:
    // no `$`, backtick or backslash in the texts is interpreted. A line break inside a text
    // is written as AppleScript's "\n", so no line of a text can end the here-document.
    auto literal = [](const QString& text) {
        QString escaped = appleScriptEscaped(text);
        escaped.replace(u'\r', QStringLiteral("\\r"));
        escaped.replace(u'\n', QStringLiteral("\\n"));
        return escaped;
    };
    return QStringLiteral("#!/bin/bash\nosascript <<'EOF'\nactivate\ndisplay dialog \"") +
           literal(prompt) +
           QStringLiteral("\" default answer \"\" with hidden answer with title \"") +
           literal(title) +
           QStringLiteral("\" with icon caution buttons {\"Cancel\", \"OK\"} default button "
                          "\"OK\"\nreturn text returned of result\nEOF");
}

QString PrivilegedExecutor::sudoWrapperScript() {
    return QStringLiteral("#!/bin/bash\nexec /usr/bin/sudo -A \"$@\"");
}

PrivilegedExecutor::Prepared PrivilegedExecutor::prepare(const QString& prompt) const {
    const QString folder = fs->temporaryDirectory() + u'/' + QLatin1String(kFolderPrefix) +
                           QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    // Private from its creation: in the shared temporary folder, a moment at a wider mode
    // would let another user plant a link or a `sudo` of their own in it.
    fs->createDirectoryWithMode(folder, kOwnerOnly);

    const QString askpass = folder + QStringLiteral("/askpass.sh");
    const QString sudo = folder + QStringLiteral("/sudo");
    try {
        fs->writeDataWithMode(askpassScript(prompt, ProductConfig::current().displayName).toUtf8(),
                              askpass, kOwnerOnly);
        fs->writeDataWithMode(sudoWrapperScript().toUtf8(), sudo, kOwnerOnly);
    } catch (...) {
        try {
            fs->removeItem(folder);
        } catch (...) {
            // The write's own error is the one to report.
        }
        throw;
    }

    const auto env = environment ? environment : SystemEnvironment::live();
    const auto inherited = env->variable(QStringLiteral("PATH"));
    const QString path = inherited ? *inherited : QString::fromLatin1(kDefaultPath);

    Prepared prepared;
    prepared.environment.insert(QStringLiteral("PATH"), folder + u':' + path);
    prepared.environment.insert(QStringLiteral("SUDO_ASKPASS"), askpass);
    prepared.cleanup = [fs = fs, folder] {
        try {
            fs->removeItem(folder);
        } catch (...) {
            // Already gone, or not ours to report: the run's outcome stands.
        }
    };
    return prepared;
}

void PrivilegedExecutor::runThenCleanUp(
    const Prepared& prepared, const std::function<void(StreamEvent)>& sink,
    const std::function<void(const std::function<void(StreamEvent)>&)>& body) {
    std::optional<StreamEvent> ending;
    {
        struct Cleanup {
            const std::function<void()>& run;
            ~Cleanup() {
                if (run)
                    run();
            }
        } cleanup{prepared.cleanup};
        body([&](StreamEvent event) {
            if (event.as<StreamEvent::Output>())
                sink(std::move(event));
            else if (!ending)
                ending = std::move(event);
        });
    }
    if (ending)
        sink(std::move(*ending));
}

} // namespace tovr
