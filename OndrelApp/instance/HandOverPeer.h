#pragma once

#include "OndrelApp/instance/HandOverLimits.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalSocket;

// One connection to the running instance: reads one message (UTF-8 text without control
// characters, ended by a line feed), acknowledges it and closes; the message is received only
// when the acknowledgement could be written. A peer that sends more than the limit, anything
// else, or nothing in time is cut off without an answer. Deletes itself when done.
class HandOverPeer : public QObject {
    Q_OBJECT

public:
    static constexpr char acknowledgement[] = "ok\n";

    // Takes the socket over; nothing is read before start().
    HandOverPeer(QLocalSocket* socket, const HandOverLimits& limits, QObject* parent = nullptr);

    void start();

Q_SIGNALS:
    void received(const QString& message);
    void finished();

private:
    void readMessage();
    void drop();
    void end();

    QLocalSocket* m_socket;
    HandOverLimits m_limits;
    QByteArray m_buffer;
    bool m_ended = false;
};
