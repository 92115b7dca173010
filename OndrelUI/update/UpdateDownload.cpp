#include "OndrelUI/update/UpdateDownload.h"

#include "OndrelCore/client/TransportError.h"
#include "OndrelUI/update/FileErrorText.h"

#include <QFileDevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {
constexpr int maxRedirects = 5;
}

UpdateDownload::UpdateDownload(QNetworkAccessManager& network, const QUrl& url, QIODevice& sink,
                               Limits limits, QObject* parent)
    : QObject(parent), m_sink(sink), m_limits(std::move(limits)) {
    QNetworkRequest request(url);
    request.setTransferTimeout(int(m_limits.stallTimeout.count()));
    request.setMaximumRedirectsAllowed(maxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    m_reply = network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &UpdateDownload::take);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateDownload::complete);
    if (m_limits.deadline) {
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] {
            if (m_reply)
                m_reply->abort();
        });
        m_deadline.start(*m_limits.deadline);
    }
}

UpdateDownload::~UpdateDownload() {
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply->deleteLater();
}

void UpdateDownload::cancel() {
    m_cancelled = true;
    if (m_reply)
        m_reply->abort();
}

void UpdateDownload::take() {
    const QByteArray chunk = m_reply->readAll();
    // An error page is not the resource; its status decides the failure in complete().
    if (m_failure || !answeredWithSuccess())
        return;
    if (chunk.size() > m_limits.maxBytes - m_received)
        return stop(m_limits.tooLarge);
    if (m_sink.write(chunk) != chunk.size())
        return stop(m_limits.unwritable.arg(sinkErrorText()));
    m_received += chunk.size();
    Q_EMIT progressed(m_received);
}

QString UpdateDownload::sinkErrorText() const {
    if (const auto* file = qobject_cast<const QFileDevice*>(&m_sink))
        return FileErrorText::describe(*file);
    return QStringLiteral("приёмник не принял данные");
}

bool UpdateDownload::answeredWithSuccess() const {
    return m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() / 100 == 2;
}

void UpdateDownload::stop(const QString& failure) {
    m_failure = failure;
    m_reply->abort();
}

void UpdateDownload::complete() {
    m_deadline.stop();
    if (!m_failure && !m_cancelled) {
        take();
        m_failure = failureOfFinishedReply();
    }
    Q_EMIT finished();
}

std::optional<QString> UpdateDownload::failureOfFinishedReply() const {
    if (m_failure)
        return m_failure;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() / 100 != 2)
        return QStringLiteral("Сервер обновлений ответил кодом %1").arg(status.toInt());
    // The stall timeout and the deadline both end in an abort, which Qt reports as cancelled.
    if (m_reply->error() == QNetworkReply::OperationCanceledError)
        return QStringLiteral("Сервер обновлений не отвечает");
    if (m_reply->error() != QNetworkReply::NoError)
        return QStringLiteral("Нет связи с сервером обновлений: %1")
            .arg(TransportError::describe(m_reply->error()));
    return std::nullopt;
}
