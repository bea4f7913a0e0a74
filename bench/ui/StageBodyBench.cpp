// A stage body redraws in place on every change of the workflow's model; the MCP section
// must not read the agents' configuration files on a redraw, so a redraw stays cheap.
#include "ui/UiFigure.h"

#include "Figures.h"

#include "demo/DemoMac.h"
#include "products/cli/CliProductConfig.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/SetupSelections.h"
#include "workflow/views/StageBodyView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <cstdio>

namespace tovr::bench {

namespace {

constexpr int kChanges = 2000;

void run() {
    DemoMac::Options options;
    options.pace.lineDelay = std::chrono::milliseconds(0);
    const DemoMac demo(options);
    ScreenContext context;
    context.services = demo.services();
    context.userDefaults = demo.userDefaults();
    context.environment = demo.environment();
    SetupFlowModel model(cliProduct(), context);
    model.start();
    QElapsedTimer wait;
    wait.start();
    while (model.step() != SetupFlowModel::Step::diagnosisSummary() && wait.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    model.setStep(SetupFlowModel::Step::stage(QStringLiteral("mcp")));
    SetupSelections selections;
    selections.selectedMCP = {QStringLiteral("exa"), QStringLiteral("notion")};
    StageBodyView body(context, &model, &selections, QStringLiteral("mcp"));
    body.resize(720, 600);
    body.show();
    QApplication::processEvents();

    // The baseline: a bare label set again as often, the least a redraw in place can cost.
    QLabel bare;
    bare.show();
    const auto rounds = alternate(
        15,
        [&] {
            return secondsOf([&] {
                       for (int i = 0; i < kChanges; ++i)
                           Q_EMIT model.changed();
                   }) *
                   1e6 / kChanges;
        },
        [&] {
            return secondsOf([&] {
                       for (int i = 0; i < kChanges; ++i)
                           bare.setText(QString::number(i % 2));
                   }) *
                   1e6 / kChanges;
        });
    std::printf("MCP stage body: %d model changes redrawn in place (probes %s)\n", kChanges,
                model.probes() ? "present" : "absent");
    printRounds("bare label set again", rounds.base, "us");
    printFigure("stage_body_redraw_us", rounds.ours, "<= 500", 1);
}

} // namespace

[[maybe_unused]] static bool registered = registerUiFigure({70, "stage_body_redraw_us", run});

} // namespace tovr::bench
