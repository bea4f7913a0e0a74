#pragma once

#include "model/CompletionSurface.h"
#include "ui/NPSCardHost.h"

#include <QObject>

#include <functional>
#include <memory>

namespace tovr {

// The short closing screen of the Java route, shown instead of the system audit on a Mac that
// does not look like a developer's: Java works, perhaps a score card, perhaps the build-intent
// prompt, and one way home. Where it leads is its owner's decision. GUI thread.
class SimplifiedCompletionModel : public QObject {
    Q_OBJECT

public:
    SimplifiedCompletionModel(CompletionSurface surface, std::function<void()> onSeeRecommendations,
                              std::function<void()> onDone,
                              std::shared_ptr<const KeyValueStoring> userDefaults,
                              QObject* parent = nullptr);

    const CompletionSurface& surface() const { return surface_; }
    bool showsCard() const { return card_.showsCard(); }
    bool showsBuildIntentPrompt() const { return !surface_.isExcluded(); }

    // The score card came on screen / finished its submit sequence.
    void cardAppeared() { card_.cardAppeared(); }
    void cardSubmitted();
    // The build-intent prompt came on screen.
    void buildIntentPromptAppeared();
    // "See recommendations →": sends and opens the full audit on every press.
    void optIn();
    // "Done — back to home".
    void finish();

Q_SIGNALS:
    void changed();

private:
    CompletionSurface surface_;
    std::function<void()> onSeeRecommendations_;
    std::function<void()> onDone_;
    NPSCardHost card_;
    bool didEmitBuildIntentShown_ = false;
};

} // namespace tovr
