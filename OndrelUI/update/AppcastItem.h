#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

// One release as an update feed lists it. Texts are as the feed wrote them, except that links
// which are not absolute http(s) URLs are dropped and the signature is kept only when it
// decodes to an Ed25519 signature.
struct AppcastItem {
    struct Enclosure {
        QUrl url;
        qint64 length = 0;
        QString type;
        QByteArray edSignature; // the 64 raw bytes
    };

    QString title;
    QString version;
    QString shortVersionString;
    QDateTime pubDate;
    QUrl releaseNotesLink;
    QString description;
    QString minimumSystemVersion;
    Enclosure enclosure;

    // The version people read: the short version string, or the version when there is none.
    QString displayVersion() const {
        return shortVersionString.isEmpty() ? version : shortVersionString;
    }
};
