#pragma once

#include <QFrame>

namespace tovr {

// A small card asking whether the user wants to build software on this Mac, with a button
// to the recommendations. It only draws and signals; its host sends the events and decides
// where the button leads.
class BuildIntentPromptView : public QFrame {
    Q_OBJECT

public:
    explicit BuildIntentPromptView(QWidget* parent = nullptr);

Q_SIGNALS:
    // Once per press.
    void seeRecommendations();
};

} // namespace tovr
