#pragma once

#include "model/SetupWorkflow.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace tovr::test {

// One row of an expected step list: the domain, where it sits, its verdict and the ids of
// the fixes it offers.
struct ExpectedStep {
    const char* domain;
    DomainPlacement placement;
    SetupDiagnosisClassification classification;
    QStringList fixes;
};

inline void expectWorkflow(const QList<WorkflowStep>& steps, const QList<ExpectedStep>& expected) {
    ASSERT_EQ(steps.size(), expected.size());
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const auto& step = steps[i];
        const auto& want = expected[i];
        SCOPED_TRACE(want.domain);
        EXPECT_EQ(step.stage->domainID(), want.domain);
        EXPECT_EQ(step.placement, want.placement);
        EXPECT_EQ(step.stage->diagnosis().classification, want.classification);
        QStringList ids;
        for (const auto& action : step.stage->actions())
            ids << action.id;
        EXPECT_EQ(ids, want.fixes);
    }
}

} // namespace tovr::test
