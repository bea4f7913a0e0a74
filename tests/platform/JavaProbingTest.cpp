#include "platform/JdkReleaseFileReader.h"
#include "platform/Probes.h"
#include "platform/PropertyList.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace tovr;

namespace {

QByteArray fixture(const QString& name) {
    QFile f(QStringLiteral(TOVR_TEST_FIXTURES_DIR "/plists/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing fixture");
    return f.readAll();
}

std::optional<QString> jvmVersion(const QByteArray& data) {
    auto plist = PropertyList::decode(data);
    if (!plist)
        return std::nullopt;
    auto javaVM = plist->value("JavaVM");
    if (!javaVM)
        return std::nullopt;
    auto version = javaVM->value("JVMVersion");
    return version ? version->text() : std::nullopt;
}

} // namespace

TEST(JavaMajorVersion, OldAndNewNumbering) {
    const struct {
        const char* text;
        std::optional<qint64> major;
    } cases[] = {
        {R"(openjdk version "17.0.2" 2022-01-18)", 17},
        {R"(java version "1.8.0_292")", 8},
        {R"(version "1.8")", 8},
        {R"(version "1")", 1},
        {R"(version "1.x")", 1},
        {R"(version "21")", 21},
        {R"(version   "11.0.22+7")", 11},
        {R"(no version here)", std::nullopt},
        {R"(version"17")", std::nullopt},
        {R"(version "v17")", std::nullopt},
        {R"(release "17")", std::nullopt},
        {R"(version "99999999999999999999999")", std::nullopt},
        {R"(version "1.99999999999999999999999")", 1},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseJavaMajorVersion(QString::fromUtf8(c.text)), c.major) << c.text;
    EXPECT_EQ(majorVersion(JDKInfo{"1.8.0_292", "", "", "/x"}), 8);
    EXPECT_EQ(majorVersion(JDKInfo{"garbage", "", "", "/x"}), std::nullopt);
}

TEST(JavaHomeListing, ReadsEntriesAndSkipsEverythingElse) {
    const QString listing = QString::fromUtf8(
        "Matching Java Virtual Machines (3):\n"
        "    21.0.2 (arm64) \"Eclipse Adoptium\" - \"OpenJDK 21.0.2\" "
        "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n"
        "    17.0.2 (arm64) \"Eclipse Adoptium\" - \"OpenJDK 17.0.2\" "
        "/Library/Java/JavaVirtualMachines/temurin-17.jdk/Contents/Home  \n"
        "    1.8.0_392 (x86_64) \"Azul Systems, Inc.\" - \"Zulu 8.74.0.17\" "
        "/Users/dev/Library/Java/JavaVirtualMachines/zulu-8.jdk/Contents/Home\n"
        "17.0.2 (arm64) \"Eclipse Adoptium\" - \"OpenJDK 17.0.2\" /no/leading/blanks\n"
        "\n"
        "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n");
    const auto entries = Probes::parseJavaHomeListing(listing);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[1],
              (JDKInfo{"17.0.2", "Eclipse Adoptium", "arm64",
                       "/Library/Java/JavaVirtualMachines/temurin-17.jdk/Contents/Home"}));
    EXPECT_EQ(entries[2].vendor, "Azul Systems, Inc.");
    EXPECT_EQ(entries[2].architecture, "x86_64");
    EXPECT_TRUE(Probes::parseJavaHomeListing("The operation couldn’t be completed. Unable to "
                                             "locate a Java Runtime.")
                    .isEmpty());
    EXPECT_TRUE(Probes::parseJavaHomeListing("").isEmpty());
    EXPECT_TRUE(Probes::parseJavaHomeListing("\x01\x02 (((\"\"\" - /").isEmpty());
}

TEST(JdkReleaseFile, ParsesLikeTheShellWouldMostly) {
    JdkReleaseFileReader reader;
    const auto pairs = reader.read("IMPLEMENTOR=\"Eclipse Adoptium\"\r\n"
                                   "JAVA_VERSION = \"1.8.0_292\" \r"
                                   "EMPTY=\"\"\n"
                                   "ONE_QUOTE=\"\n"
                                   "EQUALS=a=b=c\n"
                                   "=starts with equals\n"
                                   "no equals sign\n"
                                   "REPEATED=first\n"
                                   "REPEATED=second\n"
                                   "SPACED=\"  inside  \"\n");
    EXPECT_EQ(pairs.value("IMPLEMENTOR"), "Eclipse Adoptium");
    EXPECT_EQ(pairs.value("JAVA_VERSION"), "1.8.0_292");
    EXPECT_EQ(pairs.value("EMPTY", "absent"), "");
    EXPECT_EQ(pairs.value("ONE_QUOTE"), "\"");
    EXPECT_EQ(pairs.value("EQUALS"), "a=b=c");
    EXPECT_EQ(pairs.value("REPEATED"), "second");
    EXPECT_EQ(pairs.value("SPACED"), "  inside  ");
    EXPECT_EQ(pairs.size(), 7);
}

TEST(PropertyList, ReadsXmlAndBinaryJdkBundles) {
    EXPECT_EQ(jvmVersion(fixture("temurin-11-xml.plist")), "11.0.22+7");
    EXPECT_EQ(jvmVersion(fixture("zulu-8-binary.plist")), "1.8.0_392");
    EXPECT_EQ(jvmVersion(fixture("no-version-binary.plist")), std::nullopt);
    auto zulu = PropertyList::decode(fixture("zulu-8-binary.plist"));
    ASSERT_TRUE(zulu);
    // Non-ASCII text is stored as UTF-16 in the binary form.
    EXPECT_EQ(zulu->value("NSHumanReadableCopyright")->text(),
              QString::fromUtf8("Copyright © 2023 Azul Systems, Inc. — all rights reserved"));
    EXPECT_EQ(zulu->value("JavaVM")->value("JVMCapabilities")->count(), 3);
}

TEST(PropertyList, DamagedDataIsNeverAFinding) {
    const QByteArray binary = fixture("zulu-8-binary.plist");
    const QByteArray xml = fixture("temurin-11-xml.plist");
    // Every truncation of either form decodes to nothing or to a value, never a crash.
    for (qsizetype n = 0; n < binary.size(); ++n)
        EXPECT_NE(jvmVersion(binary.left(n)), std::optional<QString>("bogus"));
    for (qsizetype n = 0; n < xml.size(); n += 7)
        (void)PropertyList::decode(xml.left(n));
    EXPECT_FALSE(PropertyList::decode(binary.left(binary.size() - 1)));
    EXPECT_FALSE(PropertyList::decode(xml.left(xml.size() / 2)));
    EXPECT_FALSE(PropertyList::decode("not a plist"));
    EXPECT_FALSE(PropertyList::decode(""));

    // A dictionary that contains itself.
    QByteArray loop("bplist00");
    loop += char(0xD1); // dictionary of one entry at offset 8
    loop += char(1);    // key ref -> object 1
    loop += char(0);    // value ref -> object 0 (itself)
    loop += char(0x51); // object 1: ASCII string of length 1
    loop += 'k';
    const int table = loop.size();
    loop += char(8);
    loop += char(11);
    QByteArray trailer(32, '\0');
    trailer[6] = 1;  // offset size
    trailer[7] = 1;  // ref size
    trailer[15] = 2; // two objects
    trailer[23] = 0; // top object
    trailer[31] = char(table);
    EXPECT_FALSE(PropertyList::decode(loop + trailer));
    // Every single-byte corruption is survived as well.
    for (qsizetype i = 0; i < binary.size(); ++i) {
        QByteArray damaged = binary;
        damaged[i] = char(damaged[i] ^ 0xFF);
        (void)PropertyList::decode(damaged);
    }
}

TEST(PropertyList, SharedObjectsAreDecodedOnce) {
    // Sixty-four arrays, each [next, next], over one string: read naively, 2^64 visits
    // from a file of about 300 bytes.
    const int levels = 64;
    QByteArray data("bplist00");
    for (int k = 0; k < levels; ++k) {
        data += char(0xA2);
        data += char(k + 1);
        data += char(k + 1);
    }
    data += char(0x51);
    data += 'x';
    const int table = data.size();
    for (int k = 0; k <= levels; ++k)
        data += char(8 + 3 * k);
    QByteArray trailer(32, '\0');
    trailer[6] = 1;                 // offset size
    trailer[7] = 1;                 // ref size
    trailer[15] = char(levels + 1); // objects
    trailer[23] = 0;                // top object
    trailer[31] = char(table);
    data += trailer;

    QElapsedTimer timer;
    timer.start();
    const auto decoded = PropertyList::decode(data);
    EXPECT_LT(timer.elapsed(), 1000);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->count(), 2);
    EXPECT_EQ(jvmVersion(data), std::nullopt);
}
