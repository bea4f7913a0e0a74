#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <utility>

class QFrame;
class QLabel;
class QProgressBar;
class QVBoxLayout;
class QWidget;

namespace tovr {

class URLOpening;

// The parts both faces of the remediation sheet are built from.

// The box that holds command output and file lines: the text background, a faint rounded edge.
QFrame* makeTextBox(const QString& objectName, QWidget* parent);
QProgressBar* makeSpinner(QWidget* parent, const QString& accessibleName);
QLabel* makeErrorLabel(QWidget* parent);
// Replaces the rows of `layout` with `rows`: each a line, and whether the change adds it.
void setRows(QVBoxLayout* layout, QWidget* parent, const QList<std::pair<QString, bool>>& rows);
// The sheet's title and, when there is one, its subtitle; both Markdown.
QWidget* makeHeader(const QString& title, const QString& subtitle,
                    const std::shared_ptr<URLOpening>& opener, QWidget* parent);

} // namespace tovr
