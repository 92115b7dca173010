#pragma once

#include <QString>

#include <stdexcept>

// Why a check or an installation stopped, in words for the update dialog.
class UpdateFailure : public std::runtime_error {
public:
    explicit UpdateFailure(const QString& reason)
        : std::runtime_error(reason.toStdString()), m_reason(reason) {}

    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};
