#pragma once

#include "diagnosis/SimplifiedCompletionModel.h"
#include "ui/ScreenContext.h"

#include <QPointer>
#include <QWidget>

namespace tovr {

// "Java is working": the short end of the Java route, with one way home.
class SimplifiedCompletionView : public QWidget {
    Q_OBJECT

public:
    SimplifiedCompletionView(const ScreenContext& context, SimplifiedCompletionModel* model,
                             QWidget* parent = nullptr);

private:
    QPointer<SimplifiedCompletionModel> model_;
};

} // namespace tovr
