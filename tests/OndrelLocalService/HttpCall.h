#pragma once

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

// One plain HTTP exchange below the API client, redirects not followed.
struct HttpAnswer {
    int status = 0;
    QByteArray body;
    QByteArray location;
    QByteArray allow;
    QString text() const { return QString::fromUtf8(body); }
};

inline HttpAnswer httpCall(QNetworkAccessManager& network, const QUrl& url,
                           const QByteArray& method, const QByteArray& body = {},
                           const QByteArray& authorization = {}) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    if (!authorization.isEmpty())
        request.setRawHeader("Authorization", authorization);
    if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QNetworkReply* reply = network.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
            reply->rawHeader("Location"), reply->rawHeader("Allow")};
}
