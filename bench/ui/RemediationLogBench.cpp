// A remediation whose runner floods the log: how long the sheet takes to show every line,
// against a bare text view taking the same lines in one piece. The run's lines cross threads
// one queued call each, so this is where a chatty installer would make the window stutter.
// Then what a log of 100,000 lines costs: heap per line, closing, and what stays after.
#include "ui/UiFigure.h"

#include "Figures.h"
#include "LogCost.h"

#include "diagnosis/StreamingRemediationModel.h"
#include "diagnosis/views/RemediationProgressDialog.h"
#include "platform/LiveFileSystem.h"
#include "ui/views/LiveLogView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPointer>

#include <cstdio>
#include <functional>
#include <vector>

namespace tovr::bench {

namespace {

constexpr int kLines = 20000;

QString lineAt(int i) {
    return QStringLiteral("==> Downloading https://formulae.brew.sh/api/cask/%1.json").arg(i);
}

// Homebrew's install prints every line at once and succeeds.
class FloodingWorkers final : public RemediationWorkers {
public:
    explicit FloodingWorkers(int lines = kLines) : lines_(lines) {}
    EventStream<StreamEvent> installHomebrew() const override {
        auto [stream, continuation] = EventStream<StreamEvent>::make();
        std::vector<StreamEvent> events;
        for (int i = 0; i < lines_; ++i)
            events.push_back(StreamEvent::output(lineAt(i)));
        events.push_back(StreamEvent::completed(0));
        continuation.yieldAll(std::move(events));
        continuation.finish();
        return std::move(stream);
    }
    EventStream<StreamEvent> installCask(const QString&, const QString&,
                                         const QString&) const override {
        return {};
    }
    EventStream<StreamEvent> runSDKMAN(const QStringList&) const override { return {}; }
    EventStream<StreamEvent> miseInstallJava(const QString&) const override { return {}; }
    EventStream<StreamEvent> miseUseGlobalJava(const QString&) const override { return {}; }
    EventStream<StreamEvent> jenvSetGlobal(const QString&, qint64) const override { return {}; }
    EventStream<PKGInstaller::Event> installPKG(qint64, const QString&) const override {
        return {};
    }
    QStringList missingMiseActivation() const override { return {}; }
    QStringList missingJEnvInit() const override { return {}; }
    QList<JDKInfo> installedJDKs(WorkerTask&) const override { return {}; }

private:
    int lines_;
};

double secondsForSheet() {
    QWidget window;
    window.resize(760, 720);
    window.show();
    ScreenContext context;
    context.services.fs = std::make_shared<LiveFileSystem>();
    QElapsedTimer timer;
    timer.start();
    auto* dialog = RemediationProgressDialog::present(
        &window, context, Remediation::installHomebrew(), [](const RemediationOutcome&) {},
        std::make_shared<FloodingWorkers>());
    auto* model = dialog->streamingModel();
    while (!model->hasRunEnded() && timer.elapsed() < 60'000)
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e9;
}

double secondsForBareView() {
    QPlainTextEdit view;
    view.resize(600, 400);
    view.show();
    QElapsedTimer timer;
    timer.start();
    QStringList lines;
    for (int i = 0; i < kLines + 1; ++i)
        lines << lineAt(i);
    view.appendPlainText(lines.join(u'\n'));
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e9;
}

void measureCost() {
    constexpr int lines = 100000;
    QWidget window;
    window.resize(760, 720);
    window.show();
    QPointer<RemediationProgressDialog> dialog;
    printLogCost(
        {"remediation", lines, lineAt,
         [&] {
             ScreenContext context;
             context.services.fs = std::make_shared<LiveFileSystem>();
             dialog = RemediationProgressDialog::present(
                 &window, context, Remediation::installHomebrew(), [](const RemediationOutcome&) {},
                 std::make_shared<FloodingWorkers>(lines));
         },
         [&] {
             auto* log = dialog->findChild<LiveLogView*>(QStringLiteral("remediation-log"));
             const auto* model = dialog->streamingModel();
             return model->hasRunEnded() && log->lines().size() == model->lines().size();
         },
         [&] {
             dialog->streamingModel()->finishSuccess();
             if (dialog && !dialog->streamingModel()->isFinished())
                 dialog->deleteLater();
         }});
}

void run() {
    const auto rounds = alternate(9, secondsForSheet, secondsForBareView);
    std::printf("remediation log, %d lines:\n", kLines);
    printRounds("the sheet until its run has ended", rounds.ours, "s", 3);
    printRounds("a bare text view taking the same lines in one piece", rounds.base, "s", 3);
    printFigure("remediation_log_ratio", rounds.ratio, "<= 3");
    measureCost();
}

} // namespace

[[maybe_unused]] static bool registered = registerUiFigure({60, "remediation_log_ratio", run});

} // namespace tovr::bench
