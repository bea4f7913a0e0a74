#pragma once

#include "shell/OfferScreenModel.h"
#include "ui/ScreenContext.h"
#include "ui/views/ScreenTask.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace tovr {

class ScreenScaffold;

// The three offer screens share one frame: the offer's title and text, its button and a way
// home. "offer_shown" goes out when the screen is pushed.
class OfferScreenView : public QWidget, public ScreenTask {
    Q_OBJECT

public:
    OfferScreenView(const ScreenContext& context, OfferScreenModel::Kind kind, QString offerID,
                    QWidget* parent = nullptr);

    OfferScreenModel* model() const { return model_; }

    // Pushed: "offer_shown".
    void startTask() override;

private:
    void render();

    OfferScreenModel* model_ = nullptr;
    ScreenScaffold* scaffold_ = nullptr;
    QPushButton* primary_ = nullptr;
    QPushButton* second_ = nullptr;
    QWidget* notice_ = nullptr;
    QPushButton* home_ = nullptr;
};

// The generic offer of the product's catalogue.
OfferScreenView* makeContentOfferView(const ScreenContext& context, const QString& offerID);
// The guided setup plan ("guided_help_plan").
OfferScreenView* makeGuidedHelpOfferView(const ScreenContext& context);
// Help with setting up AI coding ("ai_coding_setup").
OfferScreenView* makeAICodingInterestView(const ScreenContext& context);

} // namespace tovr
