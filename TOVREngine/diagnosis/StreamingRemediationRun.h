#pragma once

#include "model/Remediation.h"
#include "platform/FileAppendWriter.h"
#include "services/RemediationWorkers.h"
#include "ui/StepRun.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace tovr {

// Which version manager asked for a ~/.zshrc change, so that it can be asked again.
enum class ZshrcSource { mise, jenv };

// A proposed ~/.zshrc change, or why none could be made.
struct ZshrcPreparation {
    std::optional<FileAppendWriter::DiffPreview> preview;
    std::optional<QString> readError;
};

// Asks the version manager which lines ~/.zshrc lacks and builds the change; writes
// nothing. An unreadable file gives no change, so its contents are never replaced.
ZshrcPreparation prepareZshrc(const RemediationWorkers& workers,
                              const std::shared_ptr<FileSystemOperating>& fs, ZshrcSource source);

// The steps of one remediation's run: each phase (a Homebrew install, the cask after it, a
// package, a version manager, the ~/.zshrc change it asks for) is a step, and a phase that
// did not end with 0 stops the run.
struct StreamingRemediationRun {
    // What a step tells the screen.
    struct Item {
        struct Line {
            QString text;
        };
        // The exit code the run stands on now; absent again between two phases.
        struct Exit {
            std::optional<qint32> code;
        };
        // The runner itself gave up (a refused password, a closed password dialog).
        struct RunnerCanceled {};
        struct ZshrcOffer {
            FileAppendWriter::DiffPreview preview;
            ZshrcSource source;
        };
        std::variant<Line, Exit, RunnerCanceled, ZshrcOffer> value;
    };
    using Run = StepRun<Item>;

    static std::vector<Run::Step> steps(const Remediation& remediation,
                                        std::shared_ptr<FileSystemOperating> fs,
                                        std::shared_ptr<RemediationWorkers> workers);
};

} // namespace tovr
