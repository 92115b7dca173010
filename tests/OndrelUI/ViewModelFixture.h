#pragma once

#include "OndrelCore/ODJSON.h"
#include "OndrelUI/AuthSession.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"

#include <QCoroTask>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A signed-in session over a FakeTransport, with helpers to script answers and read back what
// was sent.
class ViewModelFixture : public testing::Test {
protected:
    ViewModelFixture() { session.set(QStringLiteral("access-1"), QStringLiteral("refresh-1")); }

    template <class T>
    void answer(const T& value) {
        transport->enqueue(200, ODJSON::encoder().encode(value));
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

    QJsonObject lastBody() const {
        const auto& body = transport->requests().last().body;
        return body ? QJsonDocument::fromJson(*body).object() : QJsonObject();
    }

    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    QTemporaryDir directory;
    QSettings settings{directory.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat};
    AuthSession session{QUrl(QStringLiteral("http://service.test")), transport, &settings};

private:
    qsizetype m_seen = 0;
};
