#include "services/Sha256Hex.h"

#include <QCryptographicHash>

namespace tovr {

QString sha256Hex(const QByteArray& digest) {
    return QString::fromLatin1(digest.toHex());
}

QString sha256HexOf(const QByteArray& data) {
    return sha256Hex(QCryptographicHash::hash(data, QCryptographicHash::Sha256));
}

} // namespace tovr
