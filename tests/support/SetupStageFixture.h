#pragma once

#include "support/FixtureMac.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/SpinUntil.h"
#include "support/TestScreenContext.h"

#include "products/cli/CliProductConfig.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/SetupSelections.h"
#include "workflow/StageScope.h"

#include <gtest/gtest.h>

#include <memory>

namespace tovr::test {

// A workflow model over a fixture Mac, past its diagnosis summary, with the workflow
// screen's selections and recorded telemetry; `show` puts a stage on screen.
struct SetupStageFixture {
    explicit SetupStageFixture(FixtureMac::Kind kind = FixtureMac::Kind::developerAppleSilicon,
                               ProductConfig config = cliProduct(),
                               std::shared_ptr<ToolLocationsSource> locations = nullptr)
        : product(config), mac(kind), ctx(mac.services(), mac.environment()) {
        ctx.context.services.toolLocations = std::move(locations);
        ctx.profile->set(mac.profiler().profile());
        model = std::make_unique<SetupFlowModel>(std::move(config), ctx.context);
        model->start();
        EXPECT_TRUE(
            waitFor([&] { return model->step() == SetupFlowModel::Step::diagnosisSummary(); }));
    }

    template <class F> [[nodiscard]] static bool waitFor(F done) { return spinUntil(done); }

    void show(const QString& domainID) { model->setStep(SetupFlowModel::Step::stage(domainID)); }
    StageScope scope(const QString& domainID) { return {model.get(), &selections, domainID}; }
    QString home() const { return mac.fs()->homeDirectory(); }

    ScopedProductConfig product;
    RecordedTelemetry telemetry;
    FixtureMac mac;
    TestScreenContext ctx;
    std::unique_ptr<SetupFlowModel> model;
    SetupSelections selections;
};

} // namespace tovr::test
