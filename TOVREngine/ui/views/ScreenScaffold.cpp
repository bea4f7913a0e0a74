#include "ui/views/ScreenScaffold.h"

#include "model/ProductConfig.h"
#include "platform/URLOpening.h"
#include "ui/views/AccessibleText.h"
#include "ui/views/KeyboardFocus.h"
#include "ui/views/MarkdownText.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tovr {

QLabel* makeMarkdownLabel(const QString& markdown, std::shared_ptr<URLOpening> urlOpener,
                          TextStyle style, QWidget* parent, bool heading) {
    auto* label = makeMeasuredLabel(parent);
    if (heading)
        markAsHeading(label);
    label->setTextFormat(Qt::RichText);
    label->setText(markdownToHtml(markdown));
    label->setWordWrap(true);
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    label->setFocusPolicy(Qt::NoFocus); // Tab never stops on it, so it says it is not focusable
    applyTextStyle(label, style, heading);
    QObject::connect(label, &QLabel::linkActivated, label, [urlOpener](const QString& link) {
        if (urlOpener)
            urlOpener->open(QUrl(link));
    });
    return label;
}

ScreenScaffold* fillWithScaffold(QWidget* host, ScreenScaffold::Options options,
                                 std::shared_ptr<URLOpening> urlOpener, QVBoxLayout** column,
                                 int spacing) {
    auto* scaffold = new ScreenScaffold(std::move(options), std::move(urlOpener), host);
    auto* outer = new QVBoxLayout(host);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scaffold);
    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(spacing);
    scaffold->setContent(content);
    if (column)
        *column = stack;
    return scaffold;
}

ScreenScaffold::ScreenScaffold(Options options, std::shared_ptr<URLOpening> urlOpener,
                               QWidget* parent)
    : QWidget(parent), options_(std::move(options)), urlOpener_(std::move(urlOpener)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("screen-scroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls, which it scrolls into view
    outer->addWidget(scroll);

    auto* body = new QWidget(scroll);
    // Given to the scroll area empty, so it does not lay the page out at a width it will not
    // have when shown.
    scroll->setWidget(body);
    stack_ = new QVBoxLayout(body);
    stack_->setContentsMargins(32, 32, 32, 32);
    stack_->setSpacing(20);

    title_ = makeHeadingLabel(options_.title, options_.titleFont, body);
    if (options_.titleAccessibilityIdentifier)
        title_->setObjectName(*options_.titleAccessibilityIdentifier);
    stack_->addWidget(title_);

    explainer_ = makeMarkdownLabel(options_.explainer, urlOpener_, TextStyle::body, body);
    applySecondaryStyle(explainer_);
    if (options_.explainerAccessibilityIdentifier)
        explainer_->setObjectName(*options_.explainerAccessibilityIdentifier);
    explainer_->setVisible(!options_.explainer.isEmpty());
    stack_->addWidget(explainer_);

    stack_->addStretch(1);

    auto* footer = makeButton(QStringLiteral("Read the article on Lumbrook"), ButtonRole::link,
                              QStringLiteral("scaffold-article-link"), body);
    applyTextStyle(footer, TextStyle::footnote);
    connect(footer, &QPushButton::clicked, this, &ScreenScaffold::openArticle);
    stack_->addWidget(footer);
}

void ScreenScaffold::setContent(QWidget* content) {
    if (content_ == content)
        return;
    if (content_)
        content_->deleteLater();
    content_ = content;
    if (content)
        stack_->insertWidget(2, content); // after the title and the paragraph
}

void ScreenScaffold::setTitle(const QString& title) {
    options_.title = title;
    title_->setText(title);
}

void ScreenScaffold::setExplainer(const QString& explainer) {
    if (explainer == options_.explainer)
        return;
    options_.explainer = explainer;
    explainer_->setText(markdownToHtml(explainer));
    explainer_->setVisible(!explainer.isEmpty());
}

bool ScreenScaffold::focusNextPrevChild(bool next) {
    return moveFocusInReadingOrder(window(), next) || QWidget::focusNextPrevChild(next);
}

void ScreenScaffold::openArticle() const {
    // Read at the click: the product's link as it is now.
    const QUrl url = options_.articleURL.value_or(ProductConfig::current().urls.troubleshooting);
    if (urlOpener_)
        urlOpener_->open(url);
}

} // namespace tovr
