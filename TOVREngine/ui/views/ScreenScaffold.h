#pragma once

#include "ui/views/Typography.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace tovr {

class URLOpening;

// The frame of almost every screen: a title, an optional paragraph under it, the screen's
// own content, and at the bottom a link to the product's article. The whole frame scrolls
// when the window is too small for it; the footer stays at the bottom otherwise.
class ScreenScaffold : public QWidget {
    Q_OBJECT

public:
    struct Options {
        QString title;
        TextStyle titleFont = TextStyle::largeTitle;
        QString explainer; // inline Markdown; empty for none
        std::optional<QString> titleAccessibilityIdentifier;
        std::optional<QString> explainerAccessibilityIdentifier;
        std::optional<QUrl> articleURL; // absent: the product's troubleshooting article
    };

    ScreenScaffold(Options options, std::shared_ptr<URLOpening> urlOpener,
                   QWidget* parent = nullptr);

    // The screen's own content, placed between the paragraph and the footer. The scaffold
    // takes ownership; a later call replaces (and deletes) the earlier content.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

    // Updates in place, keeping the content and its state.
    void setTitle(const QString& title);
    void setExplainer(const QString& explainer);
    void setArticleURL(std::optional<QUrl> url) { options_.articleURL = std::move(url); }

protected:
    // Tab from inside a screen follows the window's reading order, whatever hosts it.
    bool focusNextPrevChild(bool next) override;

private:
    void openArticle() const;

    Options options_;
    std::shared_ptr<URLOpening> urlOpener_;
    QLabel* title_ = nullptr;
    QLabel* explainer_ = nullptr;
    QVBoxLayout* stack_ = nullptr;
    QPointer<QWidget> content_;
};

// Makes `host` a screen: a scaffold filling it, whose content is a column without margins
// and with `spacing` between its children. Returns the scaffold; the column comes back in
// `column`.
ScreenScaffold* fillWithScaffold(QWidget* host, ScreenScaffold::Options options,
                                 std::shared_ptr<URLOpening> urlOpener, QVBoxLayout** column,
                                 int spacing);

// A label that shows inline Markdown through the one safe converter; its links open through
// `urlOpener`, never the platform directly. A heading is semibold and heard as one.
QLabel* makeMarkdownLabel(const QString& markdown, std::shared_ptr<URLOpening> urlOpener,
                          TextStyle style = TextStyle::body, QWidget* parent = nullptr,
                          bool heading = false);

} // namespace tovr
