#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace tovr {

// The content of one offer screen.
struct OfferSpec {
    QString offerID; // key in the product's offer catalogue
    QString surface; // sent with the offer's usage events
    QString title;
    QString body;
    QString actionLabel;
    std::optional<QString> price;
    std::optional<QString> disclosure;
    std::optional<QUrl> destination; // opened by the primary action
    QString eligibilityReason;       // sent with the offer's usage events
};

} // namespace tovr
