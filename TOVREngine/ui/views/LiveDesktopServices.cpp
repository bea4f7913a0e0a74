#include "ui/views/LiveDesktopServices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>

#include "ui/views/Typography.h"

#include <array>

namespace tovr {

void LiveURLOpener::open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void LiveClipboard::setText(const QString& text) {
    if (auto* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

QString LiveFileRevealer::macFinder() {
#if defined(Q_OS_MACOS)
    return QStringLiteral("/usr/bin/open");
#else
    return {};
#endif
}

void LiveFileRevealer::reveal(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    QStringList absolute; // never taken for an option: each begins with "/"
    for (const QString& path : paths)
        absolute << QFileInfo(path).absoluteFilePath();
    if (!finder_.isEmpty() &&
        QProcess::startDetached(finder_, QStringList{QStringLiteral("-R")} + absolute))
        return;
    // Qt cannot select items in the file manager; one window on the folder that holds them
    // all shows them together (a single folder shows itself).
    QString common = absolute.first();
    if (paths.size() > 1 || !QFileInfo(common).isDir())
        common = QFileInfo(common).absolutePath();
    for (const QString& path : std::as_const(absolute))
        while (common != u"/" && path != common && !path.startsWith(common + u'/'))
            common = QFileInfo(common).absolutePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(common));
}

namespace {

// The panel's message above its contents.
void showMessage(QFileDialog* dialog, const QString& message) {
    auto* grid = qobject_cast<QGridLayout*>(dialog->layout());
    if (!grid || message.isEmpty())
        return;
    QList<std::pair<QLayoutItem*, std::array<int, 4>>> items;
    while (grid->count() > 0) {
        std::array<int, 4> at{};
        grid->getItemPosition(grid->count() - 1, &at[0], &at[1], &at[2], &at[3]);
        items.prepend({grid->takeAt(grid->count() - 1), at});
    }
    for (const auto& [item, at] : items)
        grid->addItem(item, at[0] + 1, at[1], at[2], at[3]);
    auto* label = makePlainLabel(message, TextStyle::body, dialog);
    label->setObjectName(QStringLiteral("folder-panel-message"));
    grid->addWidget(label, 0, 0, 1, std::max(1, grid->columnCount()));
}

} // namespace

void LiveFolderPicker::pickFolder(const QString& message, const QString& startPath,
                                  std::function<void(std::optional<QString>)> done) {
    auto* dialog = new QFileDialog(window_, message, startPath);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Choose"));
    dialog->setWindowModality(Qt::WindowModal);
    showMessage(dialog, message);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [done, answered](const QString& folder) {
                         if (std::exchange(*answered, true))
                             return;
                         done(folder);
                     });
    QObject::connect(dialog, &QFileDialog::rejected, dialog, [done, answered] {
        if (std::exchange(*answered, true))
            return;
        done(std::nullopt);
    });
    dialog->open();
}

} // namespace tovr
