#include "OndrelLocalService/services/TextLimits.h"

#include "OndrelLocalService/services/ServiceError.h"

void TextLimits::check(const QString& field, const QString& text, qsizetype limit) {
    if (text.size() > limit)
        throw ServiceError(400, QStringLiteral("%1: не длиннее %2 символов, получено %3")
                                    .arg(field)
                                    .arg(limit)
                                    .arg(text.size()));
}

void TextLimits::check(const QString& field, const std::optional<QString>& text, qsizetype limit) {
    if (text)
        check(field, *text, limit);
}
