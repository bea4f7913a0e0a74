#include "services/InstallOutputFilter.h"

#include "ServiceTestSupport.h"

#include <gtest/gtest.h>

using namespace tovr;

namespace {
const QString kNote = QString::fromUtf8(InstallOutputFilter::kOldMacOSNote);
}

TEST(InstallOutputFilter, DropsSystemLogLinesOnly) {
    const QStringList in{
        "2024-05-01 10:11:12.345 softwareupdate[123:4567] Finding updates",
        "2024-05-01 10:11:12.345678 installer[9:10] more",
        "2024-05-01 10:11:12.34 softwareupdate[123:4567] two digits stay",
        " 2024-05-01 10:11:12.345 softwareupdate[123:4567] indented stays",
        "==> Downloading",
    };
    EXPECT_EQ(InstallOutputFilter::filter(in), QStringList({in[2], in[3], "==> Downloading"}));
    EXPECT_TRUE(InstallOutputFilter::filter({}).isEmpty());
}

TEST(InstallOutputFilter, NextStepsBlockEndsAtTheDocsLineOrTheFirstOtherLine) {
    EXPECT_EQ(InstallOutputFilter::filter({
                  "==> Installation successful!",
                  " \t==> Next steps:",
                  "- Run these commands in your terminal:",
                  "    echo >> ~/.zprofile",
                  "",
                  "- Further documentation:",
                  "    https://docs.brew.sh",
                  "  after the block",
              }),
              QStringList({"==> Installation successful!", "  after the block"}));

    // Inside the block a time-stamped line follows the block's rules: it ends the block.
    EXPECT_EQ(InstallOutputFilter::filter({"==> Next steps:", "- run this",
                                           "2024-05-01 10:11:12.345 x[1:2] text", "  shown"}),
              QStringList({"2024-05-01 10:11:12.345 x[1:2] text", "  shown"}));

    // Text before the header does not start a block.
    EXPECT_EQ(InstallOutputFilter::filter({"say ==> Next steps:", "  indented"}),
              QStringList({"say ==> Next steps:", "  indented"}));
}

TEST(InstallOutputFilter, AtMostThirtyBlockLinesAreDropped) {
    QStringList in{"==> Next steps:"};
    for (int i = 1; i <= 40; ++i)
        in << QString("  line %1").arg(i);
    const auto out = InstallOutputFilter::filter(in);
    ASSERT_EQ(out.size(), 10);
    EXPECT_EQ(out.first(), "  line 31");
    EXPECT_EQ(out.last(), "  line 40");
}

TEST(InstallOutputFilter, OldMacOSWarningGetsOneNote) {
    const QString warning = "Warning: We do not provide support for this old version.";
    EXPECT_EQ(InstallOutputFilter::filter({warning, "next"}),
              QStringList({warning, kNote, "next"}));
    EXPECT_EQ(InstallOutputFilter::filter({"We DO NOT provide support for this old version"}),
              QStringList({"We DO NOT provide support for this old version"}));
}

TEST(InstallOutputFilter, FedInAnyBatchesItGivesExactlyTheWholeListResult) {
    // A Homebrew install's shapes: system-log lines, the old-macOS warning, a "Next steps"
    // block cut at every point, one that runs past thirty lines, and the lines after them.
    QStringList log{
        "==> Checking for `sudo` access (which may request your password)...",
        "2024-05-01 10:11:12.345 softwareupdate[123:4567] Finding updates",
        "Warning: We do not provide support for this old version.",
        "==> Installation successful!",
        "==> Next steps:",
        "- Run these commands in your terminal to add Homebrew to your PATH:",
        "    echo >> /Users/ana/.zprofile",
        "",
        "- Further documentation:",
        "    https://docs.brew.sh",
        "after the docs line",
        "  ==> Next steps:",
    };
    for (int i = 0; i < 35; ++i)
        log << QString("  indented %1").arg(i);
    log << "==> Next steps:"
        << "- one"
        << "plain line ends it"
        << "2024-05-01 10:11:12.345678 installer[9:10] more"
        << "last";
    const QStringList whole = InstallOutputFilter::filter(log);
    for (int size : {1, 2, 3, 5, 7, 13, 50}) {
        InstallOutputFilter::Incremental incremental;
        QStringList fed;
        for (qsizetype i = 0; i < log.size(); i += size)
            fed << incremental.feed(log.mid(i, size));
        EXPECT_EQ(fed, whole) << "batches of " << size;
    }
}
