#include "OndrelUI/viewmodels/FailureText.h"

#include "OndrelCore/client/APIError.h"
#include "OndrelUI/config/Graphemes.h"

namespace {

// Characters of an error body shown in the error line before it is cut.
constexpr qsizetype errorBodyLimit = 140;

} // namespace

QString failureText(std::exception_ptr error, const QString& label) {
    const QString failed = QStringLiteral("Не удалось ") + label + QStringLiteral(": ");
    try {
        std::rethrow_exception(error);
    } catch (const APIError& apiError) {
        switch (apiError.kind()) {
        case APIError::Kind::unauthorized:
            return QStringLiteral("Сессия истекла — войди заново");
        case APIError::Kind::http:
            return QStringLiteral("Ошибка ") + QString::number(apiError.status()) +
                   QStringLiteral(": ") + Graphemes::elide(apiError.body(), errorBodyLimit);
        case APIError::Kind::invalidResponse:
            return failed + QStringLiteral("сервис ответил не по протоколу HTTP");
        }
    } catch (const std::exception& other) {
        return failed + QString::fromUtf8(other.what());
    } catch (...) {
    }
    return failed + QStringLiteral("неизвестная ошибка");
}
