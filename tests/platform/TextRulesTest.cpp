#include "platform/LineSplitter.h"
#include "platform/ShellQuote.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;

namespace {

// Feeds `bytes` in pieces of `step` bytes, so breaks and characters straddle reads.
QStringList splitInPieces(const QByteArray& bytes, int step) {
    QStringList lines;
    LineSplitter splitter;
    auto add = [&](QString l) { lines << l; };
    for (qsizetype i = 0; i < bytes.size(); i += step)
        splitter.feed(bytes.mid(i, step), add);
    splitter.finish(add);
    return lines;
}

} // namespace

TEST(LineSplitter, EveryBreakEndsOneLineAndBlankLinesStay) {
    const QByteArray input = "a\nb\rc\r\nd\xC2\x85"
                             "e\xE2\x80\xA8"
                             "f\xE2\x80\xA9g\n\nh";
    const QStringList expected{"a", "b", "c", "d", "e", "f", "g", "", "h"};
    EXPECT_EQ(LineSplitter::split(input), expected);
    for (int step : {1, 2, 3, 5})
        EXPECT_EQ(splitInPieces(input, step), expected) << "step " << step;
}

TEST(LineSplitter, CrLfSplitAcrossReadsIsOneBreak) {
    EXPECT_EQ(splitInPieces("one\r\ntwo\r\n", 4), (QStringList{"one", "two"}));
    EXPECT_EQ(splitInPieces("x\r\r\ny", 1), (QStringList{"x", "", "y"}));
}

TEST(LineSplitter, MultibyteTextIsKeptWholeAndOtherE2CharactersAreNotBreaks) {
    const QByteArray input = "caf\xC3\xA9 \xE2\x80\x94 ok\n\xE2\x82\xAC";
    EXPECT_EQ(splitInPieces(input, 1),
              (QStringList{QString::fromUtf8("café — ok"), QString::fromUtf8("€")}));
}

TEST(LineSplitter, ALongLineAcrossManyReadsComesOutWhole) {
    QByteArray line;
    for (int i = 0; i < 200000; ++i)
        line += "ab\xE2\x82\xAC"; // five bytes, so reads of 4096 split the euro sign
    EXPECT_EQ(splitInPieces(line + "\r\nnext", 4096),
              (QStringList{QString::fromUtf8(line), "next"}));
}

TEST(LineSplitter, AnE2BeforeALineFeedHoldsNoLineBack) {
    LineSplitter splitter;
    QStringList lines;
    auto add = [&](QString l) { lines << l; };
    splitter.feed("a\xE2\n", add); // E2 then LF can no longer be a separator
    EXPECT_EQ(lines, QStringList{u"a\uFFFD"_s});
    splitter.feed("b\xE2\x80", add); // still could be one: waits for its last byte
    EXPECT_EQ(lines.size(), 1);
    splitter.feed("\xA8", add);
    splitter.finish(add);
    EXPECT_EQ(lines, (QStringList{u"a\uFFFD"_s, u"b"_s}));
    EXPECT_EQ(LineSplitter::split("a\xE2\n"), QStringList{u"a\uFFFD"_s});
}

// A line that grows over many reads is looked at once, not again with every read; a lead
// byte at the end of each read is looked at twice at most.
TEST(LineSplitter, AGrowingLineCostsWorkLinearInItsLength) {
    LineSplitter splitter;
    const QByteArray read = QByteArray(63, 'x') + "\xE2";
    constexpr int kReads = 4096;
    for (int i = 0; i < kReads; ++i)
        splitter.feedBytes(read.constData(), read.size());
    EXPECT_FALSE(splitter.hasLines());
    EXPECT_LE(splitter.bytesExamined(), 2 * read.size() * kReads);
    splitter.finishBytes();
    QByteArray bytes;
    std::vector<LineSplitter::Span> spans;
    splitter.takeLines(bytes, spans);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(spans[0].size, read.size() * kReads);
}

TEST(LineSplitter, NoInputNoLineAndTrailingBreakAddsNone) {
    EXPECT_TRUE(LineSplitter::split("").isEmpty());
    EXPECT_EQ(LineSplitter::split("last\n"), QStringList{"last"});
    EXPECT_EQ(LineSplitter::split("\n"), QStringList{""});
}

TEST(TextLines, DropsEmptyLinesAndSplitsAtVerticalTabAndFormFeed) {
    EXPECT_EQ(splitTextLines(u"a\n\nb\r\nc\vd\fe\u0085f\u2028g\u2029h\r"),
              (QStringList{"a", "b", "c", "d", "e", "f", "g", "h"}));
    EXPECT_TRUE(splitTextLines(u"\n\r\n").isEmpty());
    EXPECT_EQ(splitTextLines(u"  keeps blanks  "), QStringList{"  keeps blanks  "});
}

TEST(ShellQuote, ValuesSurviveARealShellUnchanged) {
    const QStringList hostile{"plain",       "two words", "it's",        "$(touch /tmp/x)",
                              "`id`",        "a\"b",      "back\\slash", "",
                              "line\nbreak", "'",         "''",          "$HOME ~ * ?"};
    for (const auto& value : hostile) {
        QProcess sh;
        sh.start("/bin/sh", {"-c", "printf %s " + shellQuote(value)});
        ASSERT_TRUE(sh.waitForFinished(5000));
        EXPECT_EQ(QString::fromUtf8(sh.readAllStandardOutput()), value);
    }
    EXPECT_EQ(shellQuote("it's"), "'it'\\''s'");
    EXPECT_EQ(shellQuoteJoined({"a b", "c"}), "'a b' 'c'");
}
