#pragma once

#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QUrl>

#include <stdexcept>

// An update server in this process on a free loopback port: `feed` at /appcast.xml, `package`
// at /ondrel_1.1_amd64.deb, whatever they hold when the request arrives.
class UpdateServer {
public:
    UpdateServer() {
        m_server.route(QStringLiteral("/appcast.xml"), [this] {
            return QHttpServerResponse("application/rss+xml", feed, feedStatus);
        });
        m_server.route(QStringLiteral("/ondrel_1.1_amd64.deb"), [this] {
            ++packageRequests;
            return QHttpServerResponse("application/vnd.debian.binary-package", package);
        });
        m_port = m_server.listen(QHostAddress::LocalHost, 0);
        if (m_port == 0)
            throw std::runtime_error("the update server could not listen on loopback");
    }

    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path));
    }
    QUrl feedUrl() const { return url(QStringLiteral("/appcast.xml")); }
    QUrl packageUrl() const { return url(QStringLiteral("/ondrel_1.1_amd64.deb")); }

    QByteArray feed;
    QHttpServerResponse::StatusCode feedStatus = QHttpServerResponse::StatusCode::Ok;
    QByteArray package;
    int packageRequests = 0;

private:
    QHttpServer m_server;
    quint16 m_port = 0;
};
