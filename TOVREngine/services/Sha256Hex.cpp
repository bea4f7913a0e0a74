#include "services/Sha256Hex.h"

#include "platform/DomainError.h"

#include <QCryptographicHash>

namespace tovr {

QString sha256Hex(const QByteArray& digest) {
    return QString::fromLatin1(digest.toHex());
}

QString sha256HexOf(const QByteArray& data) {
    return sha256Hex(QCryptographicHash::hash(data, QCryptographicHash::Sha256));
}

void requireSha256(const QByteArray& data, const QString& expected, const QString& domain,
                   int code) {
    const QString actual = sha256HexOf(data);
    if (actual != expected)
        throw DomainError(domain, code,
                          QStringLiteral("Checksum mismatch (expected ") + expected +
                              QStringLiteral(", got ") + actual + u')');
}

} // namespace tovr
