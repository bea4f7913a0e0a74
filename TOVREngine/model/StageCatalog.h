#pragma once

#include "model/SetupDiagnosis.h"
#include "model/SetupProbeBundle.h"
#include "model/SetupRemediation.h"
#include "platform/SystemProfile.h"

#include <QList>
#include <QString>

#include <optional>

namespace tovr {

// The verdict and fixes of the ten domains every setup product shares ("ai-claude",
// "codex", "editor", "shell-config", "languages", "agent-docs", "project", "skills", "mcp",
// "git"). Domain ids compare as exact texts.

// The stage's verdict; absent for any other domain.
std::optional<SetupDiagnosis> stageDiagnosis(const QString& domainID, const SystemProfile& profile,
                                             const SetupProbeBundle& probes);

// The fixes the stage offers, in display order; empty for any other domain. The
// selectable stages ("languages", "skills", "mcp", "git") build their fixes from what the
// user picks, so they list none here.
QList<SetupRemediation> stageRemediations(const QString& domainID, const SystemProfile& profile,
                                          const SetupProbeBundle& probes);

bool isCatalogDomain(const QString& domainID);

} // namespace tovr
