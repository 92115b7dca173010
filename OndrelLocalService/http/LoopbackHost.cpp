#include "OndrelLocalService/http/LoopbackHost.h"

#include <boost/beast/core/string.hpp>

#include <string>

bool LoopbackHost::accepts(std::string_view host, quint16 port) {
    const std::string suffix = ':' + std::to_string(port);
    for (const std::string_view name : {"127.0.0.1", "localhost", "[::1]"}) {
        if (boost::beast::iequals(host, std::string(name) + suffix))
            return true;
        if (port == 80 && boost::beast::iequals(host, name))
            return true;
    }
    return false;
}
