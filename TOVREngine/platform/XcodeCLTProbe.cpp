#include "platform/XcodeCLTProbe.h"

namespace tovr {

std::optional<QString> XcodeCLTProbe::commandLineToolsPath() const {
    return successfulOutput(*shell.process, QStringLiteral("/usr/bin/xcode-select"), {"-p"});
}

} // namespace tovr
