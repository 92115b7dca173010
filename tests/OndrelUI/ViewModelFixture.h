#pragma once

#include "OndrelCore/json/ODJSON.h"
#include "OndrelUI/session/AuthSession.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"

#include <QCoroTask>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A signed-in session over a scripted transport, with helpers to script answers and read back
// what was sent.
template <class Transport>
class SessionFixture : public testing::Test {
protected:
    SessionFixture() { session.set(QStringLiteral("access-1"), QStringLiteral("refresh-1")); }

    // Scripts 200 answers, in order.
    template <class... T>
    void answer(const T&... values) {
        (transport->enqueue(200, ODJSON::encoder().encode(values)), ...);
    }
    void answerStatus(int status, QByteArray body = {}) {
        transport->enqueue(status, std::move(body));
    }

    static void wait(QCoro::Task<void> task) { awaitTask(std::move(task)); }

    // Requests sent since the last call, as "METHOD /path?query".
    QStringList newRequests() {
        QStringList lines;
        const auto& all = transport->requests();
        for (; m_seen < all.size(); ++m_seen) {
            const HTTPRequest& request = all[m_seen];
            QString line = QString::fromLatin1(request.method) + u' ' + request.url.path();
            if (request.url.hasQuery())
                line += u'?' + request.url.query(QUrl::FullyDecoded);
            lines << line;
        }
        return lines;
    }

    // The JSON body of the request `back` places before the last one.
    QJsonObject body(qsizetype back = 0) const {
        const auto& sent = transport->requests()[transport->requests().size() - 1 - back].body;
        return sent ? QJsonDocument::fromJson(*sent).object() : QJsonObject();
    }

    std::shared_ptr<Transport> transport = std::make_shared<Transport>();
    QTemporaryDir directory;
    QSettings settings{directory.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat};
    AuthSession session{QUrl(QStringLiteral("https://service.test")), transport, &settings};

private:
    qsizetype m_seen = 0;
};

using ViewModelFixture = SessionFixture<FakeTransport>;
