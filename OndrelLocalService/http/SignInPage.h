#pragma once

#include "OndrelCore/wire/AuthResponse.h"
#include "OndrelLocalService/http/HttpCall.h"

#include <QByteArray>
#include <QString>

// The browser side of sign-in: the start page with its one button, and the redirect that hands
// the token pair (or an error) to the application's "ondrel" scheme.
namespace SignInPage {
inline constexpr auto approvePath = "/auth/yandex/approve";
// The page whose form posts `formToken` back to approvePath.
QString page(const QString& formToken);
// The token a post of the page's form carries; empty when it carries none.
QString formToken(const QByteArray& body);
// Whether a browser says the request comes from this service's own pages (a client that is no
// browser says nothing, and passes): its Origin is this service's as the request addressed it,
// or without an Origin, Sec-Fetch-Site says same-origin or none (typed, or opened by a program).
bool fromOwnPage(const HttpCall& call);
QByteArray callback(const AuthResponse& response);
QByteArray failure(const QString& reason);
} // namespace SignInPage
