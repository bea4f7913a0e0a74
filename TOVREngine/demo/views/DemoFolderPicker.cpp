#include "demo/views/DemoFolderPicker.h"

#include "platform/Error.h"
#include "ui/views/Typography.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tovr {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kListedRole = Qt::UserRole + 1;

// The folders in `path`, sorted, without those a Mac hides (dot folders, ~/Library) and
// links (a link could lead out).
QStringList subfolders(const FileSystemOperating& fs, const QString& path) {
    QStringList folders;
    const QString library = fs.homeDirectory() + QStringLiteral("/Library");
    try {
        for (const QString& name : fs.contentsOfDirectory(path)) {
            const QString child = path + u'/' + name;
            bool isDirectory = false;
            if (name.startsWith(u'.') || child == library || !fs.fileExists(child, &isDirectory) ||
                !isDirectory || fs.attributesOfItem(child).type == FileType::symbolicLink)
                continue;
            folders << name;
        }
    } catch (const Error&) {
        // An unreadable folder shows as empty.
    }
    std::sort(folders.begin(), folders.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return folders;
}

// Fills `item`'s children once, when it is first opened (or walked through).
void list(const FileSystemOperating& fs, QTreeWidgetItem* item, const QIcon& icon) {
    if (item->data(0, kListedRole).toBool())
        return;
    item->setData(0, kListedRole, true);
    const QString path = item->data(0, kPathRole).toString();
    for (const QString& name : subfolders(fs, path)) {
        auto* child = new QTreeWidgetItem(item, {name});
        child->setIcon(0, icon);
        child->setData(0, kPathRole, path + u'/' + name);
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    if (item->childCount() == 0)
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

// The home folder at the top of `tree`, opened down to `startPath`; returns the deepest
// folder of it found, to be selected.
QTreeWidgetItem* openTo(const FileSystemOperating& fs, QTreeWidget* tree, const QString& startPath,
                        const QIcon& icon, const QIcon& homeIcon) {
    const QString home = fs.homeDirectory();
    auto* root = new QTreeWidgetItem(tree, {home.section(u'/', -1)});
    root->setIcon(0, homeIcon);
    root->setData(0, kPathRole, home);
    list(fs, root, icon);
    root->setExpanded(true);
    QTreeWidgetItem* selected = root;
    if (!startPath.startsWith(home + u'/'))
        return selected;
    for (const QString& step : startPath.mid(home.size() + 1).split(u'/', Qt::SkipEmptyParts)) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < selected->childCount() && !next; ++i)
            if (selected->child(i)->text(0) == step)
                next = selected->child(i);
        if (!next)
            break;
        list(fs, next, icon);
        selected->setExpanded(true);
        selected = next;
    }
    return selected;
}

} // namespace

void DemoFolderPicker::pickFolder(const QString& message, const QString& startPath,
                                  std::function<void(std::optional<QString>)> done) {
    if (!fs_) {
        done(std::nullopt);
        return;
    }
    auto* dialog = new QDialog(window_);
    dialog->setObjectName(QStringLiteral("demo-folder-picker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(message);
    dialog->resize(520, 440);

    auto* layout = new QVBoxLayout(dialog);
    layout->setSpacing(10);
    auto* messageLabel = makePlainLabel(message, TextStyle::body, dialog);
    messageLabel->setObjectName(QStringLiteral("folder-panel-message"));
    layout->addWidget(messageLabel);

    auto* tree = new QTreeWidget(dialog);
    tree->setObjectName(QStringLiteral("demo-folder-tree"));
    tree->setAccessibleName(QStringLiteral("Folders"));
    tree->setHeaderHidden(true);
    tree->header()->setStretchLastSection(true);
    layout->addWidget(tree, 1);

    auto* note = makePlainLabel(QStringLiteral("On a Mac this is the system’s folder panel. "
                                               "Here it shows the demo Mac’s own files."),
                                TextStyle::footnote, dialog);
    note->setObjectName(QStringLiteral("demo-folder-picker-note"));
    applySecondaryStyle(note);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(dialog);
    auto* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("folder-panel-cancel"));
    cancel->setAutoDefault(false);
    auto* choose = buttons->addButton(QStringLiteral("Choose"), QDialogButtonBox::AcceptRole);
    choose->setObjectName(QStringLiteral("folder-panel-choose"));
    choose->setDefault(true);
    layout->addWidget(buttons);

    const std::shared_ptr<const FileSystemOperating> fs = fs_;
    const QIcon icon = dialog->style()->standardIcon(QStyle::SP_DirIcon);
    tree->setCurrentItem(
        openTo(*fs, tree, startPath, icon, dialog->style()->standardIcon(QStyle::SP_DirHomeIcon)));
    QObject::connect(tree, &QTreeWidget::itemExpanded, dialog,
                     [fs, icon](QTreeWidgetItem* item) { list(*fs, item, icon); });
    QObject::connect(tree, &QTreeWidget::currentItemChanged, dialog,
                     [choose](QTreeWidgetItem* current) { choose->setEnabled(current); });
    tree->setFocus();

    auto answered = std::make_shared<bool>(false);
    auto answer = [done, answered,
                   alive = std::weak_ptr<int>(alive_)](std::optional<QString> path) {
        if (std::exchange(*answered, true) || alive.expired())
            return;
        done(std::move(path));
    };
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog, tree, answer] {
        const QTreeWidgetItem* item = tree->currentItem();
        if (!item)
            return;
        answer(item->data(0, kPathRole).toString());
        dialog->accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(dialog, &QDialog::rejected, dialog, [answer] { answer(std::nullopt); });
    dialog->open();
}

} // namespace tovr
