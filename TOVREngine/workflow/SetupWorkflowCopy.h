#pragma once

#include "model/SpineRenderPolicy.h"
#include "workflow/SetupFlowModel.h"

#include <QUrl>

namespace tovr {

// The wording and links of the setup workflow's screens, from the product's copy and
// render policy: pure functions of the model's state.
namespace SetupWorkflowCopy {

// The article base with `path` appended as one path component; the base itself for an
// empty path.
QUrl articleURL(const ProductConfig& config, const QString& path);
// The stage's article: its own path, else the product's fallback.
QUrl stageArticleURL(const ProductConfig& config, const QString& domainID);
// The window's title for the step on screen.
QString windowTitle(const SetupFlowModel& model);
// The rows of the diagnosis summary: the primary stages not excluded from it, in order.
QStringList summaryRows(const SetupFlowModel& model);
// The verification passed (no result counts as not passed).
bool verificationPassed(const SetupFlowModel& model);
// The outcome's title: ready only after a passed verification.
QString outcomeTitle(const SetupFlowModel& model);
// The apps the outcome offers to open.
QList<SpineRenderPolicy::OpenableApp> outcomeApps(const SetupFlowModel& model);

} // namespace SetupWorkflowCopy

} // namespace tovr
