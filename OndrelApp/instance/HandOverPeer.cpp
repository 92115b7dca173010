#include "OndrelApp/instance/HandOverPeer.h"

#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QTimer>

#include <optional>

Q_LOGGING_CATEGORY(handOverLog, "ondrel.handover")

namespace {

// The message, when the line is well-formed UTF-8 free of control characters.
std::optional<QString> messageOf(const QByteArray& line) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(line);
    if (decoder.hasError())
        return std::nullopt;
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return std::nullopt;
    return text;
}

} // namespace

HandOverPeer::HandOverPeer(QLocalSocket* socket, const HandOverLimits& limits, QObject* parent)
    : QObject(parent), m_socket(socket), m_limits(limits) {
    m_socket->setParent(this);
}

void HandOverPeer::start() {
    connect(m_socket, &QLocalSocket::readyRead, this, &HandOverPeer::readMessage);
    connect(m_socket, &QLocalSocket::disconnected, this, &HandOverPeer::end);
    QTimer::singleShot(m_limits.peerTime, this, [this] {
        if (m_ended)
            return;
        qCWarning(handOverLog) << "dropped a peer that sent no message in time";
        drop();
    });
    readMessage(); // what arrived with the connection
}

void HandOverPeer::readMessage() {
    if (m_ended)
        return;
    // One byte past the limit is enough to know the message is too long.
    m_buffer += m_socket->read(m_limits.messageBytes + 1 - m_buffer.size());
    const qsizetype newline = m_buffer.indexOf('\n');
    if (newline < 0) {
        if (m_buffer.size() > m_limits.messageBytes) {
            qCWarning(handOverLog) << "dropped a peer whose message is too long";
            drop();
        }
        return;
    }
    const std::optional<QString> message = messageOf(m_buffer.left(newline));
    if (!message || newline + 1 != m_buffer.size() || m_socket->bytesAvailable() > 0) {
        qCWarning(handOverLog) << "dropped a peer that sent something other than one message";
        drop();
        return;
    }
    // The acknowledgement decides. A sender that gives up shuts its reading side first, so
    // these three bytes either reach it (and it reports the hand-over done) or fail to be
    // written here (and it reports failure): the message is used exactly when its sender was
    // told so.
    m_socket->write(acknowledgement);
    if (!m_socket->flush() || m_socket->bytesToWrite() > 0) {
        qCWarning(handOverLog) << "dropped a message whose sender stopped waiting for it";
        drop();
        return;
    }
    m_socket->disconnectFromServer();
    end();
    Q_EMIT received(*message); // still alive: end() deletes later
}

void HandOverPeer::drop() {
    if (m_ended)
        return;
    m_socket->abort();
    end();
}

void HandOverPeer::end() {
    if (m_ended)
        return;
    m_ended = true;
    Q_EMIT finished();
    deleteLater();
}
