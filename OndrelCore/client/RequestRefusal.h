#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The client's own refusal to send a request: nothing went out, and the service is not at
// fault. The description is the short Russian text an error line shows after "Не удалось …: ".
class RequestRefusal : public std::exception {
public:
    enum class Reason {
        unusableId,      // empty, "." or "..": not one path segment
        unsafeToken,     // a line break or NUL would add header lines
        unusableURL,     // the base URL and path do not make an absolute URL with a host
        insecureAddress, // http to a host other than this machine (see ServiceAddress)
        unusableKey,     // not an IdempotencyKey
    };

    explicit RequestRefusal(Reason reason);

    Reason reason() const { return m_reason; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    Reason m_reason;
    QString m_description;
    QByteArray m_what;
};
