#include "services/ToolInstaller.h"

#include "platform/ShellQuote.h"
#include "services/ShellConfigurator.h"
#include "services/StreamedLoginShell.h"

namespace tovr {

namespace {

auto outputTo(const ToolInstaller::Sink& sink) {
    return [&sink](const QString& line) { sink(StreamEvent::output(line)); };
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

void ToolInstaller::installUv(const Sink& sink, CancellableProcess& latch) const {
    const auto emit = outputTo(sink);
    emit(QStringLiteral("Installing uv (Astral's installer)\u2026"));
    const qint32 script =
        runStreamedLoginShell(*process, uvScriptCommand(scripts.uv), emit, &latch);
    if (script != 0 || latch.isCanceled()) {
        sink(StreamEvent::completed(script));
        return;
    }
    for (const QString& sentence : ShellConfigurator{fs, clock, locations}.configureUvPath())
        emit(sentence);
    emit(QStringLiteral("Installing the latest Python with uv\u2026"));
    sink(StreamEvent::completed(runStreamedLoginShell(
        *process, QStringLiteral("uv python install --default"), emit, &latch)));
}

void ToolInstaller::installRustup(const Sink& sink, CancellableProcess& latch) const {
    const auto emit = outputTo(sink);
    emit(QStringLiteral("Installing rustup and the stable Rust toolchain\u2026"));
    const qint32 script =
        runStreamedLoginShell(*process, rustupScriptCommand(scripts.rustup), emit, &latch);
    if (script == 0 && !latch.isCanceled())
        for (const QString& sentence : ShellConfigurator{fs, clock, locations}.configureCargoPath())
            emit(sentence);
    sink(StreamEvent::completed(script));
}

void ToolInstaller::installWithMise(const MiseLanguage& language, const Sink& sink,
                                    CancellableProcess& latch) const {
    const auto emit = outputTo(sink);
    emit(QStringLiteral("Running mise use -g ") + language.toolSpec + QStringLiteral("\u2026"));
    sink(StreamEvent::completed(
        runStreamedLoginShell(*process, miseCommand(language), emit, &latch)));
}

} // namespace tovr
