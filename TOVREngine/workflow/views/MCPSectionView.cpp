#include "workflow/views/MCPSectionView.h"

#include "platform/URLOpening.h"
#include "ui/views/Typography.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace tovr {

namespace {

constexpr int kFieldIndent = 20;
constexpr int kFieldMaxWidth = 360;

// A password field: the key is never shown, offered to input methods, or copied out.
QLineEdit* makeKeyField(const QString& serverName, const QString& objectName, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setEchoMode(QLineEdit::Password);
    field->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText |
                               Qt::ImhNoAutoUppercase);
    const QString prompt = QString::fromUtf8("API key (optional — unlocks full features)");
    field->setPlaceholderText(prompt);
    applyPlaceholderStyle(field);
    field->setAccessibleName(QStringLiteral("API key for ") + serverName);
    field->setMaximumWidth(kFieldMaxWidth);
    // Wide enough for the whole prompt (plus the frame and text margins), within the limit.
    field->setMinimumWidth(
        std::min(kFieldMaxWidth, field->fontMetrics().horizontalAdvance(prompt) + 24));
    return field;
}

} // namespace

MCPSectionView::MCPSectionView(StageScope scope, std::shared_ptr<FileSystemOperating> fs,
                               std::shared_ptr<ToolLocationsSource> locations,
                               std::shared_ptr<URLOpening> urlOpener, QWidget* parent)
    : StageSectionView(parent), section_(std::move(scope), std::move(fs), std::move(locations)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    for (const auto& server : section_.servers()) {
        auto* row = new QWidget(this);
        auto* rowLayout = new QVBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(1);
        RowWidgets widgets;
        widgets.box = makeCheckBox(server.displayName, row);
        widgets.box->setObjectName(QStringLiteral("mcp-") + server.slug);
        widgets.caption = stagerows::makeCaption(server.summary, row);
        widgets.disclosure = stagerows::makeCaption(server.disclosure.value_or(QString()), row,
                                                    /*small=*/true);
        stagerows::applyWarningStyle(widgets.disclosure);
        rowLayout->addWidget(widgets.box);
        rowLayout->addWidget(widgets.caption);
        rowLayout->addWidget(widgets.disclosure);
        if (MCPSection::acceptsAPIKey(server)) {
            auto* keyRow = new QHBoxLayout;
            keyRow->setContentsMargins(kFieldIndent, 2, 0, 0);
            widgets.key =
                makeKeyField(server.displayName, QStringLiteral("mcp-key-") + server.slug, row);
            {
                const QSignalBlocker blocker(widgets.key);
                widgets.key->setText(section_.apiKey(server.slug));
            }
            keyRow->addWidget(widgets.key);
            keyRow->addStretch(1);
            rowLayout->addLayout(keyRow);
            const QString slug = server.slug;
            connect(widgets.key, &QLineEdit::textChanged, this,
                    [this, slug](const QString& key) { section_.setAPIKey(slug, key); });
        }
        layout->addWidget(row);
        const QString slug = server.slug;
        connect(widgets.box, &QCheckBox::toggled, this, [this, slug](bool ticked) {
            section_.setTicked(slug, ticked);
            renderRows();
        });
        rows_.insert(server.slug, widgets);
    }
    layout->addSpacing(2);
    auto* more = makeButton(QString::fromUtf8("Browse curated lists of more MCP servers →"),
                            ButtonRole::link, QStringLiteral("mcp-more"), this);
    applyTextStyle(more, TextStyle::footnote);
    layout->addWidget(more);
    connect(more, &QPushButton::clicked, this, [urlOpener] {
        if (urlOpener)
            urlOpener->open(MCPSection::moreURL());
    });
    layout->addSpacing(4);
    add_ = makeButton(QStringLiteral("Add selected"), ButtonRole::prominent,
                      QStringLiteral("add-mcp"), this);
    layout->addWidget(add_);
    connect(add_, &QPushButton::clicked, this, [this] { section_.add(); });
}

void MCPSectionView::render(const QList<SetupRemediation>&, bool canAct) {
    canAct_ = canAct;
    renderRows();
}

void MCPSectionView::renderRows() {
    for (const auto& row : section_.rows()) {
        const auto it = rows_.constFind(row.slug);
        if (it == rows_.constEnd())
            continue;
        stagerows::setCheckedQuietly(it->box, row.ticked);
        it->box->setEnabled(!row.added);
        stagerows::setTextQuietly(it->caption, row.caption);
        it->disclosure->setVisible(row.disclosure.has_value());
        stagerows::describe(it->box, {row.caption, row.disclosure.value_or(QString())});
        if (it->key) {
            stagerows::setTextQuietly(it->key, section_.apiKey(row.slug));
            it->key->setVisible(row.showsKeyField);
        }
    }
    add_->setEnabled(canAct_ && section_.canAdd());
}

} // namespace tovr
