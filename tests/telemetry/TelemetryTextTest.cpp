#include "telemetry/TelemetryText.h"

#include <gtest/gtest.h>

using namespace tovr;

TEST(TelemetryText, LimitsCountUserPerceivedCharacters) {
    const QString family = QStringLiteral("👨‍👩‍👧"); // one cluster, eight UTF-16 units
    const QString accented = QStringLiteral("e\u0301");          // one cluster, two units
    EXPECT_EQ(stringPrefix(family.repeated(3), 2), family.repeated(2));
    EXPECT_EQ(stringPrefix(accented.repeated(121), 120), accented.repeated(120));
    EXPECT_EQ(stringPrefix(accented.repeated(120), 120), accented.repeated(120));
    EXPECT_EQ(stringPrefix(QString(121, u'x'), 120), QString(120, u'x'));
    EXPECT_EQ(stringPrefix("short", 120), "short");
}

TEST(TelemetryText, RedactsTheUsersHomeFolder) {
    EXPECT_EQ(redactHomePath("/Users/ana/Library/Java and /Users/ana/.sdkman", "ana"),
              "/Users/~/Library/Java and /Users/~/.sdkman");
    EXPECT_EQ(redactHomePath("zprofile:/Users/ana/jdk", "ana"), "zprofile:/Users/~/jdk");
    EXPECT_EQ(redactHomePath("JAVA_HOME=/Users/ana", "ana"), "JAVA_HOME=/Users/~");
    // Other users, and longer names that start with the user's, stay.
    EXPECT_EQ(redactHomePath("/Users/anabel/jdk /Users/bob/jdk", "ana"),
              "/Users/anabel/jdk /Users/bob/jdk");
    EXPECT_EQ(redactHomePath("/Users/ana/jdk", ""), "/Users/ana/jdk");
}

TEST(TelemetryText, VersionExcerptPicksTheVersionLine) {
    EXPECT_EQ(javaVersionExcerpt("Picked up JAVA_TOOL_OPTIONS: -Xmx1g\r\n"
                                 "openjdk version \"21.0.2\" 2024-01-16\n"
                                 "OpenJDK Runtime Environment"),
              "openjdk version \"21.0.2\" 2024-01-16");
    EXPECT_EQ(javaVersionExcerpt("\n\nsomething odd\u2028second"), "something odd");
    EXPECT_EQ(javaVersionExcerpt("\r\n\u2029"), "");
    EXPECT_EQ(javaVersionExcerpt(QString(250, u'v')), QString(200, u'v'));
}
