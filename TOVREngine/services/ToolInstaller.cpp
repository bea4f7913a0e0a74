#include "services/ToolInstaller.h"

#include "platform/ShellQuote.h"
#include "services/FixTask.h"
#include "services/ShellConfigurator.h"

namespace tovr {

namespace {

using Continuation = EventContinuation<StreamEvent>;

auto outputTo(const Continuation& out) {
    return [out](const QString& line) { out.yield(StreamEvent::output(line)); };
}

} // namespace

ToolInstaller::Scripts ToolInstaller::Scripts::official() {
    return {QUrl(QStringLiteral("https://astral.sh/uv/install.sh")),
            QUrl(QStringLiteral("https://sh.rustup.rs"))};
}

ToolInstaller::MiseLanguage ToolInstaller::MiseLanguage::node() {
    return {QStringLiteral("node@lts"), std::nullopt};
}

ToolInstaller::MiseLanguage ToolInstaller::MiseLanguage::ruby() {
    return {QStringLiteral("ruby@latest"), QStringLiteral("mise settings ruby.compile=false")};
}

ToolInstaller::MiseLanguage ToolInstaller::MiseLanguage::rust() {
    return {QStringLiteral("rust"), std::nullopt};
}

QString ToolInstaller::uvScriptCommand(const QUrl& script) {
    return QStringLiteral("set -o pipefail; curl -LsSf ") +
           shellQuote(script.toString(QUrl::FullyEncoded)) +
           QStringLiteral(" | sh -s -- --no-modify-path");
}

QString ToolInstaller::rustupScriptCommand(const QUrl& script) {
    return QStringLiteral("set -o pipefail; curl --proto '=https' --tlsv1.2 -sSf ") +
           shellQuote(script.toString(QUrl::FullyEncoded)) +
           QStringLiteral(" | sh -s -- -y --no-modify-path");
}

QString ToolInstaller::miseCommand(const MiseLanguage& language) {
    const QString use = QStringLiteral("mise use -g ") + language.toolSpec;
    return language.firstCommand ? *language.firstCommand + QStringLiteral(" && ") + use : use;
}

EventStream<StreamEvent> ToolInstaller::installUv() const {
    return runFixTask<StreamEvent>(
        [self = *this](const Continuation& out, CancellableProcess& latch) {
            const auto emit = outputTo(out);
            emit(QStringLiteral("Installing uv (Astral's installer)\u2026"));
            const qint32 script = self.shell.run(uvScriptCommand(self.scripts.uv), latch, emit);
            if (script != 0 || latch.isCanceled()) {
                out.yield(StreamEvent::completed(script));
                return;
            }
            for (const QString& sentence : ShellConfigurator{self.fs, self.clock}.configureUvPath())
                emit(sentence);
            emit(QStringLiteral("Installing the latest Python with uv\u2026"));
            out.yield(StreamEvent::completed(
                self.shell.run(QStringLiteral("uv python install --default"), latch, emit)));
        });
}

EventStream<StreamEvent> ToolInstaller::installRustup() const {
    return runFixTask<StreamEvent>([self = *this](const Continuation& out,
                                                  CancellableProcess& latch) {
        const auto emit = outputTo(out);
        emit(QStringLiteral("Installing rustup and the stable Rust toolchain\u2026"));
        const qint32 script = self.shell.run(rustupScriptCommand(self.scripts.rustup), latch, emit);
        if (script == 0 && !latch.isCanceled())
            for (const QString& sentence :
                 ShellConfigurator{self.fs, self.clock}.configureCargoPath())
                emit(sentence);
        out.yield(StreamEvent::completed(script));
    });
}

EventStream<StreamEvent> ToolInstaller::installWithMise(const MiseLanguage& language) const {
    return runFixTask<StreamEvent>([self = *this, language](const Continuation& out,
                                                            CancellableProcess& latch) {
        const auto emit = outputTo(out);
        emit(QStringLiteral("Running mise use -g ") + language.toolSpec + QStringLiteral("\u2026"));
        out.yield(StreamEvent::completed(self.shell.run(miseCommand(language), latch, emit)));
    });
}

} // namespace tovr
