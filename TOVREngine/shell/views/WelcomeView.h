#pragma once

#include "ui/ScreenContext.h"

#include <QWidget>

namespace tovr {

// The root of the navigation stack: the product's greeting and the button that starts its
// flow, or the goal prompt for a product that asks for a goal first.
class WelcomeView : public QWidget {
    Q_OBJECT

public:
    explicit WelcomeView(const ScreenContext& context, QWidget* parent = nullptr);

private:
    ScreenContext context_;
};

} // namespace tovr
