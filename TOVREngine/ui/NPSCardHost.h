#pragma once

#include "model/ProductConfig.h"
#include "platform/KeyValueStoring.h"

namespace tovr {

// What a screen that hosts the recommendation-score card decides and sends: whether the card
// is in the layout, "nps_shown" when it first comes on screen (once per process), and
// "nps_dismissed" when the user leaves after seeing it without submitting. GUI thread.
class NPSCardHost {
public:
    // Decided once: never for a product with a next-step prompt, otherwise only while no
    // score was submitted (a missing key counts as not submitted).
    NPSCardHost(const ProductConfig& product, const KeyValueStoring* userDefaults);

    bool showsCard() const { return showCard_; }
    bool didShowCard() const { return didEmitShown_; }

    // The card came on screen.
    void cardAppeared();
    // The card's own submit sequence finished: it leaves the layout for this screen.
    void cardSubmitted();
    // The screen's "Done" is leaving.
    void leaving() const;

private:
    bool showCard_ = false;
    bool didEmitShown_ = false;
    bool didSubmitThisVisit_ = false;
};

} // namespace tovr
