#pragma once

#include "support/WaitUntil.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <optional>

// HTTP over a plain socket, down to bytes no HTTP client would send. Waiting runs the event loop,
// so a service in this process keeps answering meanwhile.
class RawConnection {
public:
    struct Answer {
        int status = 0;
        QByteArray head;
        QByteArray body;
    };

    explicit RawConnection(quint16 port) : m_port(port) {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        // A connection refused at once may be closed again before this looks.
        waitUntil([&] {
            return m_socket.state() != QAbstractSocket::HostLookupState &&
                   m_socket.state() != QAbstractSocket::ConnectingState;
        });
    }

    // One well-formed request and its answer (status 0 if none came); `headers` end each line
    // with CRLF.
    Answer request(const QByteArray& method, const QByteArray& target, const QByteArray& body = {},
                   const QByteArray& headers = {}) {
        send(method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(m_port) +
             "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + headers + "\r\n" +
             body);
        return answer(method == "HEAD").value_or(Answer{});
    }

    void send(const QByteArray& bytes) {
        m_socket.write(bytes);
        m_socket.flush();
    }

    // The next answer: its head and as many body bytes as Content-Length says (none for an
    // answer to HEAD). No value if none arrives in time.
    std::optional<Answer> answer(bool toHead = false) {
        qsizetype headEnd = -1;
        if (!waitUntil([&] { return (headEnd = received().indexOf("\r\n\r\n")) >= 0; }))
            return std::nullopt;
        Answer answer;
        answer.head = m_received.left(headEnd + 2);
        answer.status = answer.head.mid(9, 3).toInt();
        const qsizetype length = toHead ? 0 : header("content-length", answer.head).toLongLong();
        if (!waitUntil([&] { return received().size() >= headEnd + 4 + length; }))
            return std::nullopt;
        answer.body = m_received.mid(headEnd + 4, length);
        m_received.remove(0, headEnd + 4 + length);
        return answer;
    }

    // True once the service has closed the connection, every byte it sent having been read.
    bool closedByPeer() {
        return waitUntil([&] {
            received();
            return m_socket.state() == QAbstractSocket::UnconnectedState;
        });
    }

    // Whatever arrived and was not part of an answer.
    const QByteArray& received() {
        m_received += m_socket.readAll();
        return m_received;
    }

    static QByteArray header(const QByteArray& name, const QByteArray& head) {
        for (const QByteArray& line : head.split('\n'))
            if (line.toLower().startsWith(name + ':'))
                return line.mid(name.size() + 1).trimmed();
        return {};
    }

private:
    quint16 m_port;
    QTcpSocket m_socket;
    QByteArray m_received;
};
