#pragma once

#include "model/OfferSpec.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

namespace tovr {

class AppNavigation;
class URLOpening;

// One offer screen: the generic content offer, the guided-help plan or the AI coding
// interest. The copy comes from the product's offer catalogue, looked up afresh each time,
// with the screen's own fallbacks. GUI thread only.
class OfferScreenModel : public QObject {
    Q_OBJECT

public:
    enum class Kind { content, guidedHelp, aiCoding };

    OfferScreenModel(Kind kind, QString offerID, AppNavigation* navigation,
                     std::shared_ptr<URLOpening> urlOpener, QObject* parent = nullptr);

    Kind kind() const { return kind_; }
    const QString& offerID() const { return offerID_; }
    std::optional<OfferSpec> entry() const;

    QString title() const;
    QString explainer() const;
    bool showsPrimary() const;
    QString primaryLabel() const;
    QString primaryIdentifier() const;
    QString secondLabel() const;
    QString secondIdentifier() const;
    // The guided-help plan was chosen: the notice shows in place of the buttons.
    bool showedUnavailable() const { return showedUnavailable_; }

    // "offer_shown", at most once per screen, and only once the catalogue has the entry.
    void emitShownIfNeeded();
    void selectPrimary();
    void dismiss();
    // "Done — back to home" under the guided-help notice: no event.
    void goHome();

Q_SIGNALS:
    void changed();

private:
    void emitAction(const QString& action, const std::optional<QString>& result) const;

    Kind kind_;
    QString offerID_;
    QPointer<AppNavigation> navigation_;
    std::shared_ptr<URLOpening> urlOpener_;
    bool didEmitShown_ = false;
    bool showedUnavailable_ = false;
    bool left_ = false;
};

} // namespace tovr
