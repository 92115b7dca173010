#pragma once

#include <QByteArray>

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

// A fresh Ed25519 key pair, made the way the release script's key is, to sign test packages.
class SigningKey {
public:
    SigningKey() : m_key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), &EVP_PKEY_free) {
        if (!m_key)
            throw std::runtime_error("no Ed25519 key");
    }

    // Base64 of the raw public key, as the build takes it.
    QByteArray publicKey() const {
        QByteArray raw(32, '\0');
        size_t size = size_t(raw.size());
        EVP_PKEY_get_raw_public_key(m_key.get(), reinterpret_cast<unsigned char*>(raw.data()),
                                    &size);
        return raw.toBase64();
    }

    // The raw 64-byte signature of `data`.
    QByteArray sign(const QByteArray& data) const {
        const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                              &EVP_MD_CTX_free);
        QByteArray signature(64, '\0');
        size_t size = size_t(signature.size());
        if (EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, m_key.get()) != 1 ||
            EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size,
                           reinterpret_cast<const unsigned char*>(data.constData()),
                           size_t(data.size())) != 1)
            throw std::runtime_error("signing failed");
        return signature;
    }

private:
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> m_key;
};
