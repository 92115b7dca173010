#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// How the browser part of a sign-in ended without a callback: the user cancelled it, or no
// browser could be opened. The stand-in for the platform's own web-authentication errors.
class BrowserFlowError : public std::exception {
public:
    enum class Kind { cancelled, browserUnavailable };

    explicit BrowserFlowError(Kind kind);

    Kind kind() const { return m_kind; }
    // The Russian text shown after the gate's "could not sign in" prefix.
    QString description() const;
    const char* what() const noexcept override { return m_what.constData(); }

private:
    Kind m_kind;
    QByteArray m_what;
};
