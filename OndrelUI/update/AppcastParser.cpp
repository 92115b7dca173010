#include "OndrelUI/update/AppcastParser.h"

#include "OndrelUI/update/UpdateFailure.h"

#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QXmlStreamReader>

namespace {

constexpr qsizetype ed25519SignatureSize = 64;
// Release notes longer than this are cut; the dialog is not a book reader.
constexpr qsizetype maxNotesLength = 20000;

class Reader {
public:
    Reader(const QByteArray& xml, const QUrl& feedUrl) : m_xml(xml), m_feedUrl(feedUrl) {}

    QList<AppcastItem> read() {
        if (!enterRoot() || m_xml.name() != u"rss")
            fail(QStringLiteral("Это не лента обновлений: в ответе нет элемента rss"));
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"channel")
                readChannel();
            else
                m_xml.skipCurrentElement();
        }
        if (m_xml.hasError())
            fail(QStringLiteral("Лента обновлений повреждена (строка %1): %2")
                     .arg(m_xml.lineNumber())
                     .arg(xmlErrorText(m_xml.error())));
        return m_items;
    }

private:
    // The reader's own errorString() is English.
    static QString xmlErrorText(QXmlStreamReader::Error error) {
        if (error == QXmlStreamReader::PrematureEndOfDocumentError)
            return QStringLiteral("документ оборван");
        return QStringLiteral("нарушена разметка XML");
    }

    [[noreturn]] static void fail(const QString& reason) { throw UpdateFailure(reason); }

    bool enterRoot() {
        while (!m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (token == QXmlStreamReader::DTD)
                fail(QStringLiteral("Лента обновлений содержит объявление DTD"));
            if (token == QXmlStreamReader::StartElement)
                return true;
        }
        return false;
    }

    void readChannel() {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"item")
                m_items.append(readItem());
            else
                m_xml.skipCurrentElement();
        }
    }

    AppcastItem readItem() {
        AppcastItem item;
        while (m_xml.readNextStartElement()) {
            const QStringView space = m_xml.namespaceUri();
            if (space.isEmpty())
                readPlain(m_xml.name(), item);
            else if (space == QLatin1String(AppcastParser::updateNamespace))
                readOwn(m_xml.name(), item);
            else
                m_xml.skipCurrentElement();
        }
        return item;
    }

    void readPlain(QStringView name, AppcastItem& item) {
        if (name == u"title")
            item.title = text();
        else if (name == u"pubDate")
            item.pubDate = QDateTime::fromString(text(), Qt::RFC2822Date);
        else if (name == u"description")
            item.description = notes(m_xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (name == u"enclosure")
            item.enclosure = readEnclosure();
        else
            m_xml.skipCurrentElement();
    }

    void readOwn(QStringView name, AppcastItem& item) {
        if (name == u"version")
            item.version = text();
        else if (name == u"shortVersionString")
            item.shortVersionString = text();
        else if (name == u"releaseNotesLink")
            item.releaseNotesLink = webLink(text());
        else if (name == u"minimumSystemVersion")
            item.minimumSystemVersion = text();
        else
            m_xml.skipCurrentElement();
    }

    AppcastItem::Enclosure readEnclosure() {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        AppcastItem::Enclosure enclosure;
        enclosure.url = webLink(attributes.value(QLatin1String("url")).toString().trimmed());
        bool ok = false;
        const qint64 length = attributes.value(QLatin1String("length")).toLongLong(&ok);
        enclosure.length = ok && length > 0 ? length : 0;
        enclosure.type = attributes.value(QLatin1String("type")).toString().trimmed();
        const auto signature = QByteArray::fromBase64Encoding(
            attributes
                .value(QString::fromLatin1(AppcastParser::updateNamespace),
                       QLatin1String("edSignature"))
                .toLatin1(),
            QByteArray::AbortOnBase64DecodingErrors);
        if (signature && signature.decoded.size() == ed25519SignatureSize)
            enclosure.edSignature = signature.decoded;
        m_xml.skipCurrentElement();
        return enclosure;
    }

    QString text() { return m_xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed(); }

    // Notes may be HTML; they are shown as plain text, so no markup from the feed is rendered.
    static QString notes(const QString& raw) {
        QString plain =
            Qt::mightBeRichText(raw) ? QTextDocumentFragment::fromHtml(raw).toPlainText() : raw;
        plain.remove(QChar::ObjectReplacementCharacter); // where images were
        return plain.trimmed().left(maxNotesLength);
    }

    QUrl webLink(const QString& text) const {
        if (text.isEmpty())
            return {};
        const QUrl url = m_feedUrl.resolved(QUrl(text, QUrl::StrictMode));
        const bool web = url.scheme() == u"https" || url.scheme() == u"http";
        return url.isValid() && web && !url.host().isEmpty() ? url : QUrl();
    }

    QXmlStreamReader m_xml;
    QUrl m_feedUrl;
    QList<AppcastItem> m_items;
};

} // namespace

QList<AppcastItem> AppcastParser::parse(const QByteArray& xml, const QUrl& feedUrl) {
    return Reader(xml, feedUrl).read();
}
