#pragma once

#include "diagnosis/DiagnosisDetailModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace tovr {

class JavaVersionChooserView;
class URLOpening;

// One Java diagnosis, explained, with the one next step that fits it. It renders its model
// and forwards clicks; the host calls the model's appeared() when it puts the view on screen.
class DiagnosisDetailView : public QWidget {
    Q_OBJECT

public:
    // Makes the recommendation-score card with the two callbacks it reports through.
    using ScoreCardFactory = std::function<QWidget*(
        QWidget* parent, std::function<void()> onSubmitted, std::function<void()> onDismissed)>;

    // Takes ownership of a model without a parent. Without `makeScoreCard` the no-error
    // content has no card.
    DiagnosisDetailView(DiagnosisDetailModel* model, std::shared_ptr<URLOpening> urlOpener,
                        ScoreCardFactory makeScoreCard = {}, QWidget* parent = nullptr);

    DiagnosisDetailModel* model() const { return model_; }

private:
    // The step under the explanation, by the model's section.
    QWidget* makeSection();
    void addProposedFix(QWidget* section);
    void addChoosingFix(QWidget* section);
    void addInstallChooser(QWidget* section, bool d1);
    void addContinue(QWidget* section, bool nothingToFix);
    // A click that calls `action` on the model while it is there.
    std::function<void()> forward(void (DiagnosisDetailModel::*action)());
    void render();
    void openArticle(const QUrl& url) const;

    QPointer<DiagnosisDetailModel> model_;
    std::shared_ptr<URLOpening> urlOpener_;
    ScoreCardFactory makeScoreCard_;
    JavaVersionChooserView* chooser_ = nullptr;
    QPushButton* install_ = nullptr;
    QPushButton* proposedFix_ = nullptr;
    QLabel* proposedFixExplanation_ = nullptr;
    QPointer<QWidget> scoreCard_;
};

} // namespace tovr
