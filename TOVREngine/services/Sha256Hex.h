#pragma once

#include <QByteArray>
#include <QString>

namespace tovr {

// A SHA-256 digest as 64 lower-case hexadecimal digits, two per byte in byte order.
QString sha256Hex(const QByteArray& digest);

// The SHA-256 of `data`, as sha256Hex gives it.
QString sha256HexOf(const QByteArray& data);

// Throws DomainError(domain, code) "Checksum mismatch (expected …, got …)" when the SHA-256
// of `data` is not `expected`, compared as exact text.
void requireSha256(const QByteArray& data, const QString& expected, const QString& domain,
                   int code);

} // namespace tovr
