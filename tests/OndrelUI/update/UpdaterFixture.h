#pragma once

#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"

#include "Appcast.h"
#include "SigningKey.h"
#include "UpdateServer.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// An updater of version 1.0 reading the in-process update server, trusting `key`, keeping
// packages in a temporary folder and recording what it hands to the system.
class UpdaterFixture : public testing::Test {
protected:
    UpdaterSettings settings() {
        UpdaterSettings result;
        result.feedUrl = server.feedUrl();
        result.publicKey = key.publicKey();
        result.currentVersion = QStringLiteral("1.0");
        result.systemVersion = QStringLiteral("12");
        result.downloadFolder = downloads.path();
        result.openPackage = [this](const QUrl& url) {
            opened.append(url);
            return systemOpens;
        };
        result.firstCheckDelay = std::nullopt;
        return result;
    }

    AppUpdater& makeUpdater(UpdaterSettings custom) {
        updater = std::make_unique<AppUpdater>(&state, std::move(custom));
        return *updater;
    }
    AppUpdater& makeUpdater() { return makeUpdater(settings()); }

    // The feed offers version 1.1 of `package`, signed by `key` over `signedBytes` and declared
    // `length` long.
    void offer(const QByteArray& package, const QByteArray& signedBytes, qint64 length) {
        server.package = package;
        server.feed = Appcast::feed({Appcast::item(
            QStringLiteral("1.1"),
            Appcast::enclosure(server.packageUrl().toString(), length, key.sign(signedBytes)),
            QStringLiteral("<description>Быстрее синхронизация</description>"))});
    }
    void offer(const QByteArray& package) { offer(package, package, package.size()); }
    void offerNothingNew() {
        server.feed = Appcast::feed({Appcast::item(QStringLiteral("1.0"), QString())});
    }

    bool reaches(AppUpdater::State wanted) {
        return waitUntil([&] { return updater->state() == wanted; });
    }

    QStringList downloadedFiles() const {
        return QDir(downloads.path()).entryList(QDir::Files | QDir::Hidden);
    }

    UpdateServer server;
    SigningKey key;
    QTemporaryDir downloads;
    UpdateState state;
    std::unique_ptr<AppUpdater> updater;
    QList<QUrl> opened;
    bool systemOpens = true;
};
