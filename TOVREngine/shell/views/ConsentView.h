#pragma once

#include "ui/ScreenContext.h"

#include <QWidget>

#include <functional>

namespace tovr {

// The first-run screen: what the app does, how it treats privacy, and "Continue".
class ConsentView : public QWidget {
    Q_OBJECT

public:
    ConsentView(const ScreenContext& context, std::function<void()> onContinue,
                QWidget* parent = nullptr);

private:
    void accept();

    ScreenContext context_;
    std::function<void()> onContinue_;
    bool accepted_ = false;
};

// The privacy link's title: the URL's host followed by its path, no scheme.
QString privacyLinkTitle(const QUrl& url);

} // namespace tovr
