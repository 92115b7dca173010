#pragma once

#include "OndrelCore/wire/AuthResponse.h"

#include <QByteArray>
#include <QString>

// The browser side of sign-in: the start page with its one button, and the redirect that hands
// the token pair (or an error) to the application's "ondrel" scheme.
namespace SignInPage {
inline constexpr auto approvePath = "/auth/yandex/approve";
QString page();
QByteArray callback(const AuthResponse& response);
QByteArray failure(const QString& reason);
} // namespace SignInPage
