#pragma once

#include "platform/CancellableProcess.h"
#include "platform/FileAppendWriter.h"
#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"
#include "platform/StreamEvent.h"
#include "platform/ToolLocations.h"

#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// Installs language tools in the user's login shell: uv and rustup through their own
// install scripts (then their PATH lines), and languages through mise. Each install
// reports its lines, then one `completed`. It blocks, for a caller that already runs on a
// task of its own: a cancel of `latch` stops the running command and starts nothing further.
struct ToolInstaller {
    // Where the install scripts are fetched from.
    struct Scripts {
        QUrl uv;
        QUrl rustup;
        // The tools' official script addresses.
        static Scripts official();
    };

    // A language that mise installs: the tool spec, and a command that must succeed
    // first, in the same shell line.
    struct MiseLanguage {
        QString toolSpec;
        std::optional<QString> firstCommand;

        static MiseLanguage node();
        static MiseLanguage ruby(); // precompiled: mise must not build Ruby from source
        static MiseLanguage rust();
    };

    using Sink = std::function<void(const StreamEvent&)>;

    std::shared_ptr<ProcessRunning> process; // starts "/bin/zsh -lc" for each command
    std::shared_ptr<FileSystemOperating> fs;
    Scripts scripts = Scripts::official();
    FileAppendWriter::Clock clock = {};
    ToolLocations locations = {}; // where the PATH lines go: zsh's start-up files

    // The script, its PATH line, then "uv python install --default". A failed script ends
    // the fix with its code; a failed PATH line does not.
    void installUv(const Sink& sink, CancellableProcess& latch) const;
    // The script, then the Cargo PATH line when it succeeded.
    void installRustup(const Sink& sink, CancellableProcess& latch) const;
    // "mise use -g" with the language's tool spec, after its first command if it has one.
    void installWithMise(const MiseLanguage& language, const Sink& sink,
                         CancellableProcess& latch) const;

    // The shell lines, with the address quoted and the pipeline's status being curl's
    // when the download fails (an empty script run by sh would otherwise report success).
    static QString uvScriptCommand(const QUrl& script);
    static QString rustupScriptCommand(const QUrl& script);
    static QString miseCommand(const MiseLanguage& language);
};

} // namespace tovr
