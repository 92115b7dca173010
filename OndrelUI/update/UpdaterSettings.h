#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QStandardPaths>
#include <QString>
#include <QSysInfo>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

// Where AppUpdater looks for updates, whom it trusts, and its seams. The defaults are the
// running program's; tests replace the folder, the hand-over and the schedule.
struct UpdaterSettings {
    QUrl feedUrl;
    // The Ed25519 public key that signs releases, base64 of its 32 raw bytes. Without a valid
    // one, checks still run but no package is ever installed.
    QByteArray publicKey;
    QString currentVersion = QCoreApplication::applicationVersion();
    QString systemVersion = QSysInfo::productVersion();
    // Verified packages are kept here.
    QString downloadFolder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    // Hands a verified package to the system's installer; false when nothing took it.
    std::function<bool(const QUrl&)> openPackage = &QDesktopServices::openUrl;
    // The silent check: once after this delay, then every checkInterval. Absent: none.
    std::optional<std::chrono::milliseconds> firstCheckDelay = std::chrono::seconds(10);
    std::chrono::milliseconds checkInterval = std::chrono::hours(24);
    qint64 maxFeedSize = 1024 * 1024;
    std::chrono::milliseconds feedDeadline = std::chrono::seconds(60);
    std::chrono::milliseconds stallTimeout = std::chrono::seconds(30);
};
