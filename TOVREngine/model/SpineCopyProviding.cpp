#include "model/SpineCopyProviding.h"

namespace tovr {

QString SpineCopyProviding::workspacePrompt() const {
    return QStringLiteral("Choose a folder to work in");
}

} // namespace tovr
