#pragma once

#include <QtGlobal>

#include <string_view>

// The Host values the service answers: its loopback names with its port (the port may be left
// out only when it is 80). Anything else may be a page that rebound its name to 127.0.0.1.
namespace LoopbackHost {
bool accepts(std::string_view host, quint16 port);
} // namespace LoopbackHost
