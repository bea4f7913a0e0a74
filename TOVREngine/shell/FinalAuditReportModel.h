#pragma once

#include "platform/SystemProfile.h"
#include "ui/NPSCardHost.h"
#include "ui/ScreenContext.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

class WorkerTask;

// The audit's last screen: a checklist of the Mac as it is now (it profiles once more when it
// comes on screen, so what the stages installed shows as installed), perhaps the score card,
// and "Done — back to home". GUI thread.
class FinalAuditReportModel : public QObject {
    Q_OBJECT

public:
    enum class Mark { installed, missing, recommended };
    struct Row {
        Mark mark;
        QString label;
        bool operator==(const Row&) const = default;
    };

    FinalAuditReportModel(ScreenContext context, SystemProfile initialProfile,
                          std::function<void()> onDone, QObject* parent = nullptr);
    ~FinalAuditReportModel() override;

    // The flow's profile, while this screen has none of its own.
    void setInitialProfile(const SystemProfile& profile);
    const SystemProfile& displayedProfile() const {
        return freshProfile_ ? *freshProfile_ : initialProfile_;
    }
    QList<Row> rows() const { return checklist(displayedProfile()); }
    static QList<Row> checklist(const SystemProfile& profile);

    bool showsCard() const { return card_.showsCard(); }
    void cardAppeared() { card_.cardAppeared(); }
    void cardSubmitted();

    // When the screen comes on screen: one fresh profile per screen, never in fixture mode.
    void appearTask();
    // "Done — back to home".
    void finish();

Q_SIGNALS:
    void changed();

private:
    ScreenContext context_;
    SystemProfile initialProfile_;
    std::optional<SystemProfile> freshProfile_;
    std::function<void()> onDone_;
    NPSCardHost card_;
    std::shared_ptr<WorkerTask> profiling_;
};

} // namespace tovr
