#include "telemetry/JSONValue.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tovr;

namespace {

QByteArray written(const JSONObject& object) {
    return QJsonDocument(toJsonObject(object)).toJson(QJsonDocument::Compact);
}

JSONObject readBack(const QByteArray& text) {
    return jsonObjectFromJson(QJsonDocument::fromJson(text).object());
}

} // namespace

TEST(JSONValue, KeepsEachKindThroughTextAndBack) {
    const JSONObject original{
        {"flag", true},
        {"off", false},
        {"count", 3},
        {"big", std::numeric_limits<qint64>::max()},
        {"small", std::numeric_limits<qint64>::min()},
        {"ratio", 0.25},
        {"text", "ünïcødé ✓"},
        {"list", JSONArray{1, "two", JSONArray{}, nullptr}},
        {"object", JSONObject{{"inner", JSONObject{}}}},
        {"none", nullptr},
    };
    const JSONObject back = readBack(written(original));
    EXPECT_EQ(back, original);
    // A bool never becomes a number and an integer keeps every digit.
    EXPECT_EQ(back["flag"].kind(), JSONValue::Kind::bool_);
    EXPECT_EQ(back["count"].kind(), JSONValue::Kind::int_);
    EXPECT_TRUE(written(original).contains(R"("big":9223372036854775807)"));
}

TEST(JSONValue, IntegralDoubleIsWrittenAsAnIntegerAndReadsBackAsOne) {
    const QByteArray text = written({{"size", 12.0}});
    EXPECT_EQ(text, R"({"size":12})");
    EXPECT_EQ(readBack(text)["size"], JSONValue(12));
    EXPECT_EQ(readBack(R"({"a":12.0,"b":12.5,"c":1e300})"),
              (JSONObject{{"a", 12}, {"b", 12.5}, {"c", 1e300}}));
}

TEST(JSONValue, EqualityIsByCaseAndPayload) {
    EXPECT_NE(JSONValue(1), JSONValue(true));
    EXPECT_NE(JSONValue(1), JSONValue(1.0));
    EXPECT_NE(JSONValue(), JSONValue(""));
    EXPECT_EQ(JSONValue(JSONObject{{"a", 1}, {"b", 2}}), JSONValue(JSONObject{{"b", 2}, {"a", 1}}));
    EXPECT_NE(JSONValue(JSONArray{1, 2}), JSONValue(JSONArray{2, 1}));
}

TEST(JSONValue, NonFiniteNumbersCannotBeEncoded) {
    const double nan = std::nan("");
    EXPECT_FALSE(JSONValue(nan).isEncodable());
    EXPECT_FALSE(JSONValue(JSONObject{{"x", JSONArray{INFINITY}}}).isEncodable());
    EXPECT_TRUE(JSONValue(JSONArray{1.5, "x"}).isEncodable());
    EXPECT_THROW(toJsonObject({{"x", -INFINITY}}), EncodingError);
    try {
        JSONValue::fromJson(QJsonValue(QJsonValue::Undefined));
        FAIL();
    } catch (const DecodingError& e) {
        EXPECT_EQ(e.description(), "Unknown JSONValue");
    }
}
