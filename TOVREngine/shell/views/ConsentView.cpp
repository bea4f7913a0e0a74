#include "shell/views/ConsentView.h"

#include "model/ProductConfig.h"
#include "shell/ConsentModel.h"
#include "ui/views/Typography.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tovr {

QString privacyLinkTitle(const QUrl& url) {
    return url.host() + url.path();
}

namespace {

QWidget* makeSection(const QString& title, const QStringList& bullets, QWidget* parent) {
    auto* section = new QWidget(parent);
    auto* stack = new QVBoxLayout(section);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(6);
    stack->addWidget(makeHeadingLabel(title, TextStyle::headline, section));
    for (const QString& bullet : bullets)
        stack->addWidget(makeBulletLabel(bullet, TextStyle::callout, section));
    return section;
}

} // namespace

ConsentView::ConsentView(const ScreenContext& context, std::function<void()> onContinue,
                         QWidget* parent)
    : QWidget(parent), context_(context), onContinue_(std::move(onContinue)) {
    const ProductConfig product = ProductConfig::current();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls, which it scrolls into view
    outer->addWidget(scroll);

    auto* body = new QWidget(scroll);
    // Given to the scroll area empty, so it does not lay the page out at a width it will not
    // have when shown.
    scroll->setWidget(body);
    auto* stack = new QVBoxLayout(body);
    stack->setContentsMargins(32, 32, 32, 32);
    stack->setSpacing(24);

    auto* title = makeHeadingLabel(QStringLiteral("Welcome to ") + product.displayName,
                                   TextStyle::largeTitle, body);
    stack->addWidget(title);

    auto* sections = new QVBoxLayout;
    sections->setSpacing(16);
    sections->addWidget(makeSection(product.consent.whatTitle, product.consent.whatBullets, body));
    sections->addWidget(
        makeSection(product.consent.privacyTitle, product.consent.privacyBullets, body));
    stack->addLayout(sections);

    auto* privacyRow = new QHBoxLayout;
    privacyRow->setSpacing(8);
    auto* lead =
        makePlainLabel(QStringLiteral("Read the privacy details:"), TextStyle::footnote, body);
    lead->setWordWrap(false);
    applySecondaryStyle(lead);
    privacyRow->addWidget(lead);
    const QUrl privacy = product.urls.privacy;
    auto* link = makeButton(privacyLinkTitle(privacy), ButtonRole::link,
                            QStringLiteral("consent-privacy-link"), body);
    applyTextStyle(link, TextStyle::footnote);
    connect(link, &QPushButton::clicked, this, [this, privacy] {
        if (context_.urlOpener)
            context_.urlOpener->open(privacy);
    });
    privacyRow->addWidget(link);
    privacyRow->addStretch(1);
    stack->addLayout(privacyRow);

    stack->addStretch(1);

    auto* button = makeButton(QStringLiteral("Continue"), ButtonRole::prominent,
                              QStringLiteral("consent-continue"), body);
    markDefaultButton(button);
    connect(button, &QPushButton::clicked, this, &ConsentView::accept);
    stack->addWidget(button);
}

void ConsentView::accept() {
    // The root replaces this screen at once; a second press must not store or send again.
    if (std::exchange(accepted_, true))
        return;
    if (context_.userDefaults)
        ConsentModel::accept(*context_.userDefaults, onContinue_);
}

} // namespace tovr
