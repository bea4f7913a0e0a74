#include "support/FakeDesktop.h"
#include "support/FixtureMac.h"
#include "support/MemoryKeyValueStore.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "diagnosis/DiagnoseViewModel.h"
#include "diagnosis/views/DiagnosisDetailView.h"
#include "diagnosis/views/JavaVersionChooserView.h"
#include "ui/views/Typography.h"

#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

JDKInfo temurin(const QString& version, const QString& folder) {
    return {version, "Eclipse Adoptium", "arm64",
            "/Library/Java/JavaVirtualMachines/" + folder + "/Contents/Home"};
}

class DiagnosisDetail : public ::testing::Test {
protected:
    std::unique_ptr<DiagnosisDetailView> show(Diagnosis diagnosis,
                                              std::optional<Remediation> d2 = std::nullopt,
                                              DiagnosisDetailView::ScoreCardFactory card = {}) {
        auto* model = new DiagnosisDetailModel(std::move(diagnosis), std::nullopt, std::move(d2),
                                               callbacks_, defaults_);
        auto view = std::make_unique<DiagnosisDetailView>(model, opener_, std::move(card));
        view->resize(720, 700);
        view->show();
        settle();
        return view;
    }

    QRadioButton* row(QWidget* view, const QString& context, int major) {
        return findVisible<QRadioButton>(view,
                                         JavaVersionChooserView::rowIdentifier(context, major));
    }
    QString checkedRows(QWidget* view, const QString& context) {
        QString marks;
        for (qint64 major : JavaVersionChooserView::offeredMajors())
            marks += row(view, context, major)->isChecked() ? "x" : "-";
        return marks;
    }

    ScopedProductConfig java_{ProductConfig::javaDiagnosis()};
    RecordedTelemetry telemetry_;
    MemoryKeyValueStore defaults_;
    std::shared_ptr<FakeURLOpener> opener_ = std::make_shared<FakeURLOpener>();
    QList<Remediation> remediated_;
    QList<qint64> installs_;
    int kept_ = 0;
    int continued_ = 0;
    DiagnosisDetailModel::Callbacks callbacks_{[this](const Remediation& r) { remediated_ << r; },
                                               [this](qint64 major) { installs_ << major; },
                                               [this] { ++kept_; },
                                               [this] { ++continued_; },
                                               {}};
};

} // namespace

TEST_F(DiagnosisDetail, EveryDiagnosisHasItsScreen) {
    const JDKInfo java21 = temurin("21.0.2", "temurin-21.jdk");
    const FixtureMac intel(FixtureMac::Kind::intelWithThreeJDKs);
    const auto zprofileFix = DiagnoseViewModel::recommendedRemediation(
        intel.expectedProfile().javaState.installedJDKs.first(), intel.expectedProfile());
    const QList<std::tuple<QString, Diagnosis, std::optional<Remediation>>> screens = {
        {"d1-no-jdk", Diagnosis::D1_NoJDK(), std::nullopt},
        {"d2-home-unset", Diagnosis::D2_HomeUnset(java21), zprofileFix},
        {"d2-choosing-fix", Diagnosis::D2_HomeUnset(java21), std::nullopt},
        {"d3-legacy-only", Diagnosis::D3_LegacyOnly(temurin("1.8.0_402", "temurin-8.jdk")),
         std::nullopt},
        {"d4-modern-home-set", Diagnosis::D4_ModernHomeSet(java21), std::nullopt},
        {"no-errors-found", Diagnosis::noErrorsFound(), std::nullopt},
        {"unknown",
         Diagnosis::unknown("JavaVirtualMachines directory has entries (.DS_Store, loop.jdk) but "
                            "/usr/libexec/java_home couldn't parse any JDKs — possible malformed "
                            "install."),
         std::nullopt},
    };
    for (const auto& [name, diagnosis, fix] : screens) {
        SCOPED_TRACE(name.toStdString());
        auto view = show(diagnosis, fix);
        EXPECT_EQ(findVisible<QLabel>(view.get(), "diagnose-headline")->text(), diagnosis.title());
        const bool proposes = fix.has_value();
        EXPECT_EQ(findVisible(view.get(), "remediation-primary-button") != nullptr, proposes);
        saveScreenshot(view.get(), "diagnosis-detail-" + name);
    }
}

TEST_F(DiagnosisDetail, TheChooserDrivesTheInstallButton) {
    auto view = show(Diagnosis::D1_NoJDK());
    auto* install = findVisible<QPushButton>(view.get(), "diagnosis-d1-install-chosen");
    ASSERT_NE(install, nullptr);
    EXPECT_EQ(install->text(), "Install Java 25");
    EXPECT_EQ(checkedRows(view.get(), "d1"), "x--");

    QTest::mouseClick(row(view.get(), "d1", 17), Qt::LeftButton);
    EXPECT_EQ(install->text(), "Install Java 17");
    EXPECT_EQ(checkedRows(view.get(), "d1"), "--x");
    // Clicking the chosen row keeps it chosen.
    QTest::mouseClick(row(view.get(), "d1", 17), Qt::LeftButton);
    EXPECT_EQ(checkedRows(view.get(), "d1"), "--x");
    // The caption is part of the row.
    auto* row21 = row(view.get(), "d1", 21)->parentWidget();
    QTest::mouseClick(row21, Qt::LeftButton, {}, QPoint(row21->width() - 4, row21->height() - 4));
    EXPECT_EQ(install->text(), "Install Java 21");

    clickButton(view.get(), "diagnosis-d1-install-chosen");
    EXPECT_EQ(installs_, QList<qint64>{21});
    clickButton(view.get(), "remediation-secondary-link");
    EXPECT_EQ(opener_->opened, QList<QUrl>{ProductConfig::javaDiagnosis().urls.installMethods});

    // The legacy screen has its own rows and the way out of keeping the old Java.
    auto legacy = show(Diagnosis::D3_LegacyOnly(temurin("1.8.0_402", "temurin-8.jdk")));
    EXPECT_EQ(row(legacy.get(), "d1", 25), nullptr);
    EXPECT_EQ(checkedRows(legacy.get(), "d3"), "x--");
    clickButton(legacy.get(), "diagnosis-d3-keep-legacy");
    EXPECT_EQ(kept_, 1);
    EXPECT_TRUE(installs_.size() == 1);
}

TEST_F(DiagnosisDetail, TheProposedFixRunsAndTheLinksOpenTheirArticles) {
    const auto fix = Remediation::setJavaHomeViaSDKMAN("21.0.2-tem");
    auto view = show(Diagnosis::D2_HomeUnset(temurin("21.0.2", "temurin-21.jdk")), fix);
    EXPECT_EQ(findVisible<QPushButton>(view.get(), "remediation-primary-button")->text(),
              fix.title());
    clickButton(view.get(), "remediation-primary-button");
    EXPECT_EQ(remediated_, QList<Remediation>{fix});

    const auto urls = ProductConfig::javaDiagnosis().urls;
    for (auto* link : view->findChildren<QPushButton*>())
        if (link->text() == "Read the JAVA_HOME article")
            QTest::mouseClick(link, Qt::LeftButton);
    clickButton(view.get(), "scaffold-article-link");
    EXPECT_EQ(opener_->opened, (QList<QUrl>{urls.envConfig, urls.troubleshooting}));

    auto unknown = show(Diagnosis::unknown("odd"));
    clickButton(unknown.get(), "continue-to-audit");
    EXPECT_EQ(continued_, 1);
    EXPECT_TRUE(telemetry_.names().isEmpty());
}

TEST_F(DiagnosisDetail, ASubmittedScoreTakesTheCardAway) {
    QPointer<QPushButton> submit;
    auto view =
        show(Diagnosis::noErrorsFound(), std::nullopt,
             [&](QWidget* parent, std::function<void()> onSubmitted, std::function<void()>) {
                 submit =
                     makeButton("Submit feedback", ButtonRole::prominent, "nps-submit", parent);
                 QObject::connect(submit, &QPushButton::clicked, submit, onSubmitted);
                 return submit.data();
             });
    ASSERT_TRUE(submit && submit->isVisible());
    clickButton(view.get(), "nps-submit");
    EXPECT_TRUE(spinUntil([&] { return submit.isNull(); }));
    EXPECT_FALSE(view->model()->showsScoreCard());
}

TEST_F(DiagnosisDetail, NamesReadFromTheMacAreNeverMarkup) {
    // A folder name in the JVM folder shaped like a link stays words, not a link.
    auto unknown = show(Diagnosis::unknown(
        "JavaVirtualMachines directory has entries ([Update Java](https://evil.example), "
        "_x_.jdk) but /usr/libexec/java_home couldn't parse any JDKs — possible malformed "
        "install."));
    auto* detail = findVisible<QLabel>(unknown.get(), "diagnose-detail");
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->textFormat(), Qt::PlainText);
    EXPECT_TRUE(detail->text().contains("([Update Java](https://evil.example), _x_.jdk)"));

    // The legacy path keeps its code span; a path that could break out of it does not get one.
    auto legacy = show(Diagnosis::D3_LegacyOnly(temurin("1.8.0_402", "temurin-8.jdk")));
    EXPECT_EQ(findVisible<QLabel>(legacy.get(), "diagnose-detail")->textFormat(), Qt::RichText);
    EXPECT_TRUE(findVisible<QLabel>(legacy.get(), "diagnose-detail")->text().contains("<code>"));
    auto odd = show(Diagnosis::D3_LegacyOnly(temurin("1.8.0_402", "a`b_c_.jdk")));
    EXPECT_EQ(findVisible<QLabel>(odd.get(), "diagnose-detail")->textFormat(), Qt::PlainText);
}
