#pragma once

#include "OndrelUI/update/AppcastParser.h"

#include <QStringList>

// Feed text for tests: an RSS document around items, and items with the fields that matter.
namespace Appcast {

inline QString enclosure(const QString& url, qint64 length, const QByteArray& signature,
                         const QString& type = QStringLiteral("application/octet-stream")) {
    return QStringLiteral(R"(<enclosure url="%1" length="%2" type="%3" ondrel:edSignature="%4"/>)")
        .arg(url)
        .arg(length)
        .arg(type, QString::fromLatin1(signature.toBase64()));
}

inline QString item(const QString& version, const QString& enclosure,
                    const QString& extra = QString()) {
    return QStringLiteral("<item><title>Ondrel %1</title><ondrel:version>%1</ondrel:version>%2%3"
                          "</item>")
        .arg(version, extra, enclosure);
}

inline QByteArray feed(const QStringList& items) {
    return QStringLiteral(R"(<?xml version="1.0" encoding="utf-8"?>)"
                          R"(<rss version="2.0" xmlns:ondrel="%1"><channel><title>Ondrel</title>)"
                          "%2</channel></rss>")
        .arg(QString::fromLatin1(AppcastParser::updateNamespace), items.join(QString()))
        .toUtf8();
}

} // namespace Appcast
