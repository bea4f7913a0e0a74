#include "services/SDKMANRunner.h"

#include "platform/ShellQuote.h"

namespace tovr {

EventStream<StreamEvent> SDKMANRunner::run(const QStringList& arguments) const {
    QString script =
        QStringLiteral("source ") + shellQuote(initScript()) + QStringLiteral(" && sdk");
    if (!arguments.isEmpty())
        script += u' ' + shellQuoteJoined(arguments);
    return shell.stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), script});
}

} // namespace tovr
