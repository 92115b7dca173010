#include "OndrelCore/client/ServiceAddress.h"

#include <QHostAddress>

namespace ServiceAddress {

namespace {

// QUrl gives the host lower-cased and an IPv6 address without its brackets. Only the literal
// name "localhost" counts: other names go through a resolver that may answer anything.
bool isLoopbackHost(const QString& host) {
    return host == u"localhost" || QHostAddress(host).isLoopback();
}

} // namespace

bool isSecure(const QUrl& url) {
    if (url.host().isEmpty())
        return false;
    const QString scheme = url.scheme();
    return scheme == u"https" || (scheme == u"http" && isLoopbackHost(url.host()));
}

} // namespace ServiceAddress
