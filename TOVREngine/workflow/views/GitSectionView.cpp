#include "workflow/views/GitSectionView.h"

#include "platform/URLOpening.h"
#include "ui/views/Typography.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

namespace {

constexpr int kFieldMaxWidth = 360;

// `name` is what a screen reader hears; the placeholder, an example, is its description.
QLineEdit* makeField(const QString& name, const QString& placeholder, const QString& objectName,
                     const QString& text, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setPlaceholderText(placeholder);
    applyPlaceholderStyle(field);
    field->setAccessibleName(name);
    field->setMaximumWidth(kFieldMaxWidth);
    // Filled from the user's Git settings, a long name shows from its start.
    stagerows::setTextQuietly(field, text);
    return field;
}

} // namespace

GitSectionView::GitSectionView(StageScope scope, std::shared_ptr<URLOpening> urlOpener,
                               QWidget* parent)
    : StageSectionView(parent), section_(std::move(scope)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    fields_ = new QWidget(this);
    auto* fieldsLayout = new QVBoxLayout(fields_);
    fieldsLayout->setContentsMargins(0, 0, 0, 0);
    fieldsLayout->setSpacing(10);
    name_ = makeField(QStringLiteral("Git name"), QStringLiteral("Your name"),
                      QStringLiteral("git-name"), section_.typedName(), fields_);
    email_ = makeField(QStringLiteral("Git email"), QStringLiteral("you@example.com"),
                       QStringLiteral("git-email"), section_.typedEmail(), fields_);
    fieldsLayout->addWidget(name_);
    fieldsLayout->addWidget(email_);
    layout->addWidget(fields_);

    note_ = makePlainLabel(
        QStringLiteral("Your Git name and email are already set. Sign in to GitHub to finish."),
        TextStyle::caption, this);
    applySecondaryStyle(note_);
    layout->addWidget(note_);

    setUp_ = makeButton(QStringLiteral("Set up Git with GitHub"), ButtonRole::prominent,
                        QStringLiteral("setup-git"), this);
    layout->addWidget(setUp_);
    layout->addSpacing(2);
    auto* account = makeButton(QString::fromUtf8("Create a GitHub account →"), ButtonRole::link,
                               QStringLiteral("git-create-account"), this);
    applyTextStyle(account, TextStyle::footnote);
    layout->addWidget(account);

    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        section_.setName(text);
        renderState();
    });
    connect(email_, &QLineEdit::textChanged, this, [this](const QString& text) {
        section_.setEmail(text);
        renderState();
    });
    connect(setUp_, &QPushButton::clicked, this, [this] { section_.setUp(); });
    connect(account, &QPushButton::clicked, this, [urlOpener] {
        if (urlOpener)
            urlOpener->open(GitSection::accountURL());
    });
}

void GitSectionView::render(const QList<SetupRemediation>&, bool canAct) {
    canAct_ = canAct;
    renderState();
}

void GitSectionView::renderState() {
    stagerows::setTextQuietly(name_, section_.typedName());
    stagerows::setTextQuietly(email_, section_.typedEmail());
    const bool showsFields = section_.showsFields();
    fields_->setVisible(showsFields);
    note_->setVisible(!showsFields);
    setUp_->setEnabled(canAct_ && section_.canSetUp());
}

} // namespace tovr
