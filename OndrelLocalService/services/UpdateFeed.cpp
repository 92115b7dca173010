#include "OndrelLocalService/services/UpdateFeed.h"

#include "OndrelLocalService/services/ServiceError.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamWriter>

#include <stdexcept>

namespace {

constexpr auto feedNamespace = "urn:ondrel:appcast";
constexpr qsizetype signatureSize = 64;
// The client refuses larger packages; the service does not hold them in memory either.
constexpr qint64 maxPackageSize = 512LL * 1024 * 1024;
constexpr auto packageType = "application/vnd.debian.binary-package";

[[noreturn]] void refuse(const QString& message) {
    throw std::invalid_argument(message.toStdString());
}

void writeItem(QXmlStreamWriter& xml, const QString& version) {
    const QString ns = QString::fromLatin1(feedNamespace);
    xml.writeTextElement(QStringLiteral("title"), QStringLiteral("Ondrel ") + version);
    xml.writeTextElement(QStringLiteral("pubDate"),
                         QDateTime::currentDateTimeUtc().toString(Qt::RFC2822Date));
    xml.writeTextElement(ns, QStringLiteral("version"), version);
    xml.writeTextElement(ns, QStringLiteral("shortVersionString"), version);
}

} // namespace

UpdateFeed::Offer UpdateFeed::Offer::load(const QString& packagePath, const QString& version) {
    const QFileInfo package(packagePath);
    if (!package.isFile() || !package.isReadable())
        refuse(QStringLiteral("--update-package: cannot read %1").arg(packagePath));
    if (package.size() == 0 || package.size() > maxPackageSize)
        refuse(
            QStringLiteral("--update-package: %1 is empty or larger than 512 MB").arg(packagePath));
    if (version.isEmpty() || version.contains(u' '))
        refuse(QStringLiteral("--update-version: expected a version such as 0.2.0"));
    QFile signatureFile(packagePath + QStringLiteral(".sig"));
    if (!signatureFile.open(QIODevice::ReadOnly))
        refuse(QStringLiteral("--update-package: no signature %1 (scripts/sign-update sign "
                              "writes it)")
                   .arg(signatureFile.fileName()));
    const QByteArray text = signatureFile.read(1024).trimmed();
    const auto signature =
        QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!signature || signature.decoded.size() != signatureSize)
        refuse(
            QStringLiteral("%1 is not a base64 Ed25519 signature").arg(signatureFile.fileName()));
    return Offer{package.absoluteFilePath(), version, signature.decoded};
}

HttpReply UpdateFeed::appcast() const {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeNamespace(QString::fromLatin1(feedNamespace), QStringLiteral("ondrel"));
    xml.writeStartElement(QStringLiteral("rss"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("channel"));
    xml.writeTextElement(QStringLiteral("title"), QStringLiteral("Ondrel"));
    xml.writeStartElement(QStringLiteral("item"));
    writeItem(xml, m_settings.buildVersion);
    xml.writeEndElement();
    if (const std::optional<Offer>& offer = m_settings.offer) {
        const QFileInfo package(offer->packagePath);
        xml.writeStartElement(QStringLiteral("item"));
        writeItem(xml, offer->version);
        xml.writeTextElement(
            QStringLiteral("description"),
            QStringLiteral("Тестовый пакет, который раздаёт ondrel-local-service."));
        xml.writeEmptyElement(QStringLiteral("enclosure"));
        xml.writeAttribute(
            QStringLiteral("url"),
            QStringLiteral("/%1/%2").arg(QLatin1String(packagePath), package.fileName()));
        xml.writeAttribute(QStringLiteral("length"), QString::number(package.size()));
        xml.writeAttribute(QStringLiteral("type"), QString::fromLatin1(packageType));
        xml.writeAttribute(QString::fromLatin1(feedNamespace), QStringLiteral("edSignature"),
                           QString::fromLatin1(offer->signature.toBase64()));
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return {200, "application/rss+xml; charset=utf-8", body, {}};
}

HttpReply UpdateFeed::package(const QString& name) const {
    const std::optional<Offer>& offer = m_settings.offer;
    if (!offer || name != QFileInfo(offer->packagePath).fileName())
        throw ServiceError(404, QStringLiteral("Нет такого пакета: %1").arg(name));
    QFile file(offer->packagePath);
    if (file.size() > maxPackageSize || !file.open(QIODevice::ReadOnly))
        throw ServiceError(500, QStringLiteral("Пакет недоступен: %1").arg(file.errorString()));
    return {200, packageType, file.readAll(), {}};
}
