#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Checks a downloaded package against what the feed declared and what the release was signed
// with: its exact length first, then its Ed25519 signature (over the whole file) under the
// public key built into the program. Pure functions of their arguments, so they may run on a
// worker thread.
namespace PackageVerifier {

inline constexpr qsizetype publicKeySize = 32;

// The raw key from its base64 text, or nothing when the text is not an Ed25519 public key.
std::optional<QByteArray> decodePublicKey(const QByteArray& base64);

// Throws UpdateFailure saying what did not match.
void verify(const QString& path, qint64 expectedLength, const QByteArray& signature,
            const QByteArray& publicKey);

} // namespace PackageVerifier
