#include "OndrelLocalService/ServiceOptions.h"
#include "OndrelLocalService/SignalWatcher.h"
#include "OndrelLocalService/http/LocalServer.h"

#include <QCoreApplication>

#include <cstdio>
#include <stdexcept>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ondrel-local-service"));
    try {
        const ServiceOptions options = ServiceOptions::parse(QCoreApplication::arguments());
        ServiceStore store(options.dataFile);
        LocalServer server(store, options.settings);
        const quint16 port = server.listenOnLoopback(options.port);
        if (port == 0) {
            std::fprintf(stderr, "ondrel-local-service: cannot listen on 127.0.0.1:%u\n",
                         unsigned(options.port));
            return 1;
        }
        SignalWatcher signals;
        QObject::connect(&signals, &SignalWatcher::terminationRequested, &app,
                         &QCoreApplication::quit);
        std::printf("ondrel-local-service listening on http://127.0.0.1:%u\n", unsigned(port));
        std::fflush(stdout);
        return app.exec();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ondrel-local-service: %s\n", error.what());
        return 1;
    }
}
