#pragma once

#include "diagnosis/DiagnoseViewModel.h"
#include "services/RemediationWorkers.h"
#include "ui/ScreenContext.h"
#include "ui/views/ScreenTask.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace tovr {

class DiagnosisDetailView;
class ScreenScaffold;

// The Java diagnosis screen: one page per state of its model, the fix sheet over it. Pages
// are kept and updated in place; the detail view is built anew each time the diagnosis is
// entered, so its choosers start afresh.
class DiagnoseView : public QWidget, public ScreenTask {
    Q_OBJECT

public:
    // `workers` replaces the live installers and runners of the fix sheet (tests, demo Mac).
    explicit DiagnoseView(const ScreenContext& context,
                          std::shared_ptr<RemediationWorkers> workers = nullptr,
                          QWidget* parent = nullptr);

    // Profiles the Mac and diagnoses it.
    void startTask() override;

    DiagnoseViewModel* model() const { return model_; }
    QWidget* currentPage() const;

private:
    void makeResultPage();
    QWidget* makeFollowUp(QWidget* content);
    void makeEndPages();
    void render();
    QWidget* showDetail(bool entered);
    DiagnosisDetailView* makeDetail(const Diagnosis& diagnosis, std::optional<Remediation> d1,
                                    std::optional<Remediation> d2, bool active);
    void renderResult(const DiagnoseViewModel::Verified& verified);
    void presentSheet();

    ScreenContext context_;
    std::shared_ptr<RemediationWorkers> workers_;
    DiagnoseViewModel* model_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QWidget* blank_ = nullptr;
    QWidget* probing_ = nullptr;
    QWidget* verifying_ = nullptr;
    QPointer<DiagnosisDetailView> detail_;

    // The verification result.
    ScreenScaffold* result_ = nullptr;
    QWidget* versionBlock_ = nullptr;
    QLabel* versionValue_ = nullptr;
    QLabel* javaHomeValue_ = nullptr;
    QLabel* legacyWarning_ = nullptr;
    QWidget* passedRow_ = nullptr;
    QWidget* followUp_ = nullptr;
    QPushButton* setJavaHome_ = nullptr;
    QWidget* failedRow_ = nullptr;

    ScreenScaffold* completed_ = nullptr;
    ScreenScaffold* error_ = nullptr;

    quint64 shownStateSerial_ = 0;
    quint64 presentedSheetSerial_ = 0;
};

} // namespace tovr
