#pragma once

#include "OndrelLocalService/http/ServiceRouter.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line of ondrel-local-service.
struct ServiceOptions {
    quint16 port = 8765;
    std::optional<QString> dataFile;
    ServiceRouter::Settings settings;

    // Throws std::invalid_argument with a message for the user on a bad value; `--help` and
    // `--version` print and exit, as QCommandLineParser does.
    static ServiceOptions parse(const QStringList& arguments);
};
