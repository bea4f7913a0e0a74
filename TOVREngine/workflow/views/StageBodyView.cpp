#include "workflow/views/StageBodyView.h"

#include "ui/BackgroundCall.h"

#include "ui/views/BusyIndicator.h"
#include "ui/views/KeyboardFocus.h"
#include "ui/views/MarkdownText.h"
#include "ui/views/ScreenScaffold.h"

#include "ui/views/Typography.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/SetupSelections.h"
#include "workflow/views/CaskSectionView.h"
#include "workflow/views/GitSectionView.h"
#include "workflow/views/LanguagesSectionView.h"
#include "workflow/views/MCPSectionView.h"
#include "workflow/views/ProjectSectionView.h"
#include "workflow/views/SkillsSectionView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

namespace {

using Kind = SpineRenderPolicy::SpecialStageKind;

constexpr int kSiblingSpacing = 16;

QVBoxLayout* stack(QWidget* widget, int spacing) {
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

StageBodyView::StageBodyView(const ScreenContext& context, SetupFlowModel* model,
                             SetupSelections* selections, QString domainID, QWidget* parent)
    : QWidget(parent), context_(context), model_(model), selections_(selections),
      domainID_(std::move(domainID)),
      presenter_(StageScope{model, selections, domainID_}, context.services.fs) {
    auto* layout = stack(this, kSiblingSpacing);

    banner_ = new QWidget(this);
    auto* bannerLayout = stack(banner_, kSiblingSpacing);
    auto* bannerText = makePlainLabel(
        QStringLiteral("This step installs with Homebrew, which isn't installed yet. Install "
                       "Homebrew first, or skip."),
        TextStyle::callout, banner_);
    applySecondaryStyle(bannerText);
    homebrewFirst_ = makeButton(QStringLiteral("Install Homebrew first"), ButtonRole::prominent,
                                QStringLiteral("stage-install-homebrew-first"), banner_);
    bannerLayout->addWidget(bannerText);
    bannerLayout->addWidget(homebrewFirst_);
    layout->addWidget(banner_);
    connect(homebrewFirst_, &QPushButton::clicked, this,
            [this] { presenter_.installHomebrewFirst(); });

    fixList_ = new QWidget(this);
    fixLayout_ = stack(fixList_, kSiblingSpacing);
    layout->addWidget(fixList_);

    if (const auto kind = presenter_.specialKind()) {
        if (const auto* group = kind->as<Kind::GroupedInstall>()) {
            group_ = makeButton(group->title, ButtonRole::prominent, group->accessibilityID, this);
            layout->addWidget(group_);
            connect(group_, &QPushButton::clicked, this, [this] { presenter_.installGroup(); });
        } else {
            section_ = makeSection(*kind);
            if (section_)
                layout->addWidget(section_);
        }
    }

    skip_ = makeButton(QStringLiteral("Skip"), ButtonRole::borderless, QStringLiteral("stage-skip"),
                       this);
    auto* skipRow = new QHBoxLayout;
    skipRow->addWidget(skip_);
    // Beside the controls while the stage is checked again and they are disabled.
    busy_ = new BusyIndicator(QStringLiteral("Checking this step again…"), this);
    busy_->setObjectName(QStringLiteral("stage-busy"));
    skipRow->addWidget(busy_);
    skipRow->addStretch(1);
    layout->addLayout(skipRow);
    connect(skip_, &QPushButton::clicked, this, [this] { presenter_.skip(); });

    if (model_) {
        connect(model_, &SetupFlowModel::changed, this, &StageBodyView::refresh);
        readProfile_ = model_->profile();
        readProbes_ = model_->probes();
        wasRefreshing_ = model_->isRefreshing();
    }
    readDisk();
    refresh();
}

void StageBodyView::readDisk() {
    // The files are read off the GUI thread; until the first answer the body stays hidden
    // (it would show Homebrew as missing), later answers replace earlier ones in place.
    QList<DiskRead> reads{presenter_.diskRead()};
    if (section_)
        if (DiskRead read = section_->diskRead())
            reads.append(std::move(read));
    if (diskTask_)
        diskTask_->cancel();
    diskTask_ = runInBackground(
        this,
        [reads](WorkerTask&) {
            QList<DiskApply> applies;
            for (const DiskRead& read : reads)
                applies.append(read());
            return applies;
        },
        [this](QList<DiskApply> applies) {
            for (const DiskApply& apply : applies)
                apply();
            const bool firstShown = !diskRead_;
            diskRead_ = true;
            refresh();
            // The page came on screen without its body; now the body leads the reading order.
            if (firstShown)
                for (QWidget* page = parentWidget(); page; page = page->parentWidget())
                    if (auto* scaffold = qobject_cast<ScreenScaffold*>(page)) {
                        focusFirstControl(scaffold);
                        break;
                    }
        });
}

StageSectionView* StageBodyView::makeSection(const Kind& kind) {
    const StageScope scope{model_, selections_, domainID_};
    const auto& fs = context_.services.fs;
    if (const auto* casks = kind.as<Kind::CaskMultiselect>())
        return new CaskSectionView(scope, *casks, this);
    if (kind.as<Kind::LanguagesMultiselect>())
        return new LanguagesSectionView(scope, fs, this);
    if (kind.as<Kind::ProjectActions>()) {
        const QString prompt = model_ ? model_->plugins().spineCopy->workspacePrompt() : QString();
        const QString documents =
            fs ? fs->homeDirectory() + QStringLiteral("/Documents") : QString();
        return new ProjectSectionView(scope, context_.folderPicker, prompt, documents, this);
    }
    if (kind.as<Kind::SkillsMultiselect>())
        return new SkillsSectionView(scope, fs, context_.services.toolLocations, context_.urlOpener,
                                     this);
    if (kind.as<Kind::MCPMultiselect>())
        return new MCPSectionView(scope, fs, context_.services.toolLocations, context_.urlOpener,
                                  this);
    if (kind.as<Kind::GitActions>())
        return new GitSectionView(scope, context_.urlOpener, this);
    return nullptr;
}

// The model published a new profile or probes, or finished re-probing this stage.
bool StageBodyView::probedAgain() {
    const bool refreshing = model_->isRefreshing();
    const bool finished = wasRefreshing_ && !refreshing;
    wasRefreshing_ = refreshing;
    if (!finished && model_->profile() == readProfile_ && model_->probes() == readProbes_)
        return false;
    readProfile_ = model_->profile();
    readProbes_ = model_->probes();
    return true;
}

void StageBodyView::refresh() {
    if (!model_)
        return;
    if (probedAgain())
        readDisk();
    // Nothing to show before the disk was read once.
    if (parentWidget() && isVisibleTo(parentWidget()) != diskRead_)
        setVisible(diskRead_);
    if (!diskRead_)
        return;
    const bool canAct = presenter_.canAct();
    const bool banner = presenter_.showsBanner();
    banner_->setVisible(banner);
    homebrewFirst_->setVisible(banner && presenter_.hasHomebrewStage());
    homebrewFirst_->setEnabled(canAct);
    skip_->setEnabled(canAct);
    busy_->setVisible(model_->isRefreshing());

    const auto fixes = presenter_.fixes();
    const bool plainFixes = !banner && !group_ && !section_;
    fixList_->setVisible(plainFixes);
    if (plainFixes)
        renderFixRows(fixes, canAct);
    if (group_) {
        group_->setVisible(!banner);
        group_->setEnabled(canAct);
    }
    if (section_) {
        section_->setVisible(!banner);
        // Seeding needs the stage's fixes, which need the profile and the probes.
        const bool ready = model_->profile() && model_->probes();
        if (!banner && ready && !sectionAppeared_) {
            sectionAppeared_ = true;
            section_->appeared(fixes);
        }
        if (!banner)
            section_->render(fixes, canAct);
    }
}

void StageBodyView::renderFixRows(const QList<SetupRemediation>& fixes, bool canAct) {
    const auto rows = presenter_.fixRows(fixes);
    QSet<QString> ids;
    for (const auto& row : rows)
        ids.insert(row.id);
    // Rows of fixes no longer offered go; a row may be the sender of the click that got
    // here, so it is deleted later.
    for (auto it = fixRows_.begin(); it != fixRows_.end();) {
        if (ids.contains(it.key())) {
            ++it;
            continue;
        }
        fixLayout_->removeWidget(*it);
        (*it)->hide();
        (*it)->deleteLater();
        it = fixRows_.erase(it);
    }
    for (int i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        QWidget* widget = fixRows_.value(row.id);
        if (!widget) {
            widget = new QWidget(fixList_);
            stack(widget, 6);
            auto* button = makeButton(row.title, ButtonRole::prominent,
                                      QStringLiteral("stage-fix-") + row.id, widget);
            // Product copy: a path between backticks shows as code.
            auto* caption =
                makeMarkdownLabel(QString(), context_.urlOpener, TextStyle::footnote, widget);
            caption->setObjectName(QStringLiteral("stage-fix-caption"));
            applySecondaryStyle(caption);
            widget->layout()->addWidget(button);
            widget->layout()->addWidget(caption);
            const QString id = row.id;
            connect(button, &QPushButton::clicked, this, [this, id] { presenter_.installFix(id); });
            fixRows_.insert(row.id, widget);
        }
        if (fixLayout_->indexOf(widget) != i) {
            fixLayout_->removeWidget(widget);
            fixLayout_->insertWidget(i, widget);
        }
        auto* button = widget->findChild<QPushButton*>();
        button->setText(row.title);
        button->setEnabled(canAct);
        auto* caption = widget->findChild<QLabel*>(QStringLiteral("stage-fix-caption"));
        if (caption->property("markdown").toString() != row.caption) {
            caption->setProperty("markdown", row.caption);
            caption->setText(markdownToHtml(row.caption));
        }
        caption->setVisible(!row.caption.isEmpty());
    }
}

} // namespace tovr
