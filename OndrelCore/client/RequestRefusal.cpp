#include "OndrelCore/client/RequestRefusal.h"

namespace {

QString describe(RequestRefusal::Reason reason) {
    switch (reason) {
    case RequestRefusal::Reason::unusableId:
        return QStringLiteral("недопустимый идентификатор");
    case RequestRefusal::Reason::unsafeToken:
        return QStringLiteral("токен содержит недопустимые символы");
    case RequestRefusal::Reason::unusableURL:
        return QStringLiteral("некорректный адрес сервиса");
    case RequestRefusal::Reason::insecureAddress:
        return QStringLiteral("адрес сервиса не защищён, нужен https");
    case RequestRefusal::Reason::unusableKey:
        return QStringLiteral("недопустимый ключ повтора запроса");
    }
    return {};
}

} // namespace

RequestRefusal::RequestRefusal(Reason reason)
    : m_reason(reason), m_description(QStringLiteral("запрос не отправлен — ") + describe(reason)),
      m_what(m_description.toUtf8()) {}
