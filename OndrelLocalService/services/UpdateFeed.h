#pragma once

#include "OndrelLocalService/http/HttpReply.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The update feed of this build, so the client's update check has something to read on one
// machine. /appcast.xml always lists the version the service was built with (a client of the
// same build is up to date); with an offered package it also lists that package as a newer
// version and serves it under /updates/.
class UpdateFeed {
public:
    // A signed package: the file, its detached base64 signature (FILE.sig, as the release
    // script writes it) and the version the feed announces for it.
    struct Offer {
        QString packagePath;
        QString version;
        QByteArray signature;

        // Throws std::invalid_argument naming what is missing or malformed.
        static Offer load(const QString& packagePath, const QString& version);
    };
    struct Settings {
        QString buildVersion;
        std::optional<Offer> offer;
    };
    static constexpr auto packagePath = "updates";

    explicit UpdateFeed(Settings settings) : m_settings(std::move(settings)) {}

    HttpReply appcast() const;
    // The offered package by its file name; 404 for any other name.
    HttpReply package(const QString& name) const;

private:
    Settings m_settings;
};
