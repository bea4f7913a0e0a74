#include "platform/SessionID.h"

namespace tovr {

namespace {

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

QString SessionID::text(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> SessionID::parse(QStringView text) {
    // QUuid would also take braces; an identifier is only the bare 36-character form.
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != u'-' : !isHexDigit(text[i]))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

QUuid SessionID::current() const {
    const QString key = userDefaultsPrefix + QStringLiteral(".session_id");
    if (const auto stored = store->string(key))
        if (const auto id = parse(*stored))
            return *id;
    const QUuid id = QUuid::createUuid();
    store->set(QVariant(text(id)), key);
    return id;
}

} // namespace tovr
