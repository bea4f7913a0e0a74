#pragma once

#include <QByteArray>
#include <QString>

namespace tovr {

// A SHA-256 digest as 64 lower-case hexadecimal digits, two per byte in byte order.
QString sha256Hex(const QByteArray& digest);

// The SHA-256 of `data`, as sha256Hex gives it.
QString sha256HexOf(const QByteArray& data);

} // namespace tovr
