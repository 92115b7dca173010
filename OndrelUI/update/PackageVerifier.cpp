#include "OndrelUI/update/PackageVerifier.h"

#include "OndrelUI/update/FileErrorText.h"
#include "OndrelUI/update/UpdateFailure.h"

#include <QFile>

#include <openssl/evp.h>

#include <memory>

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

bool signatureMatches(const uchar* data, qint64 size, const QByteArray& signature,
                      const QByteArray& publicKey) {
    const std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(publicKey.constData()),
        size_t(publicKey.size())));
    const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!key || !context ||
        EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    // Ed25519 signs the message itself, not a digest, so the whole file goes in at once.
    return EVP_DigestVerify(context.get(),
                            reinterpret_cast<const unsigned char*>(signature.constData()),
                            size_t(signature.size()), data, size_t(size)) == 1;
}

UpdateFailure unreadable(const QFile& file) {
    return UpdateFailure(QStringLiteral("Не удалось прочитать скачанный пакет: %1")
                             .arg(FileErrorText::describe(file)));
}

} // namespace

std::optional<QByteArray> PackageVerifier::decodePublicKey(const QByteArray& base64) {
    const auto key =
        QByteArray::fromBase64Encoding(base64.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!key || key.decoded.size() != publicKeySize)
        return std::nullopt;
    return key.decoded;
}

void PackageVerifier::verify(const QString& path, qint64 expectedLength,
                             const QByteArray& signature, const QByteArray& publicKey) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw unreadable(file);
    if (file.size() != expectedLength)
        throw UpdateFailure(
            QStringLiteral("Размер пакета (%1 байт) не совпадает с объявленным в ленте (%2 байт)")
                .arg(file.size())
                .arg(expectedLength));
    const uchar* data = file.map(0, file.size());
    if (!data)
        throw unreadable(file);
    if (!signatureMatches(data, file.size(), signature, publicKey))
        throw UpdateFailure(QStringLiteral("Подпись пакета не сходится с ключом этой сборки"));
}
