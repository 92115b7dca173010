#pragma once

#include "OndrelUI/update/AppcastItem.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

// Reads an update feed: RSS 2.0 whose items carry the release fields in their own namespace,
//
//   <rss version="2.0" xmlns:ondrel="urn:ondrel:appcast"><channel><item>
//     <title>Ondrel 0.2.0</title> <pubDate>Thu, 01 Jan 2026 12:00:00 +0000</pubDate>
//     <ondrel:version>0.2.0</ondrel:version>
//     <ondrel:shortVersionString>0.2</ondrel:shortVersionString>
//     <ondrel:releaseNotesLink>https://…</ondrel:releaseNotesLink> or <description>…</description>
//     <ondrel:minimumSystemVersion>12</ondrel:minimumSystemVersion>
//     <enclosure url="https://…/ondrel_0.2.0_amd64.deb" length="123456"
//                type="application/vnd.debian.binary-package" ondrel:edSignature="base64"/>
//   </item></channel></rss>
//
// The feed comes from the network and is read as hostile: a document type declaration is
// refused (no entity games), unknown elements are skipped, relative links are resolved against
// the feed's own address and anything that is not http(s) is dropped. Whether an item is a
// usable update is UpdateChoice's question, not the parser's.
class AppcastParser {
public:
    static constexpr auto updateNamespace = "urn:ondrel:appcast";

    // Throws UpdateFailure when the document is not a well-formed feed.
    static QList<AppcastItem> parse(const QByteArray& xml, const QUrl& feedUrl);
};
