#pragma once

#include <QUrl>

// Where the client may send its tokens. In clear text only within this machine: http is for
// loopback hosts (127.0.0.0/8, ::1, localhost), and every other host is reached over https.
namespace ServiceAddress {

// True for https with a host, and for http to a loopback host.
bool isSecure(const QUrl& url);

} // namespace ServiceAddress
