#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A decoding failure: its kind, where it happened (`tasks[3].status`) and what went wrong.
// It is the first failure met; no partial value is ever produced alongside it.
class DecodingError : public std::exception {
public:
    enum class Kind { keyNotFound, typeMismatch, valueNotFound, dataCorrupted };

    DecodingError(Kind kind, QString codingPath, QString description);

    Kind kind() const { return m_kind; }
    const QString& codingPath() const { return m_codingPath; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    Kind m_kind;
    QString m_codingPath;
    QString m_description;
    QByteArray m_what;
};
