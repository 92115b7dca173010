#include "OndrelCore/replica/AsyncMutex.h"

#include "support/AwaitTask.h"

#include <gtest/gtest.h>

#include <QCoroTimer>
#include <QTimer>

#include <chrono>
#include <memory>

namespace {

using namespace std::chrono_literals;

QCoro::Task<> pause(std::chrono::milliseconds duration) {
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(duration);
    co_await timer;
}

// Each holder records when it enters and leaves; holders must never overlap.
QCoro::Task<> hold(std::shared_ptr<AsyncMutex> mutex, QStringList& log, QString name,
                   std::chrono::milliseconds duration) {
    co_await mutex->lock();
    log.append(name + QStringLiteral(" in"));
    co_await pause(duration);
    log.append(name + QStringLiteral(" out"));
    mutex->unlock();
}

QCoro::Task<> all(std::shared_ptr<AsyncMutex> mutex, QStringList& log) {
    auto a = hold(mutex, log, QStringLiteral("a"), 20ms);
    auto b = hold(mutex, log, QStringLiteral("b"), 1ms);
    auto c = hold(mutex, log, QStringLiteral("c"), 1ms);
    co_await a;
    co_await b;
    co_await c;
}

TEST(AsyncMutex, holdersTakeTurnsAcrossSuspensions) {
    auto mutex = std::make_shared<AsyncMutex>();
    QStringList log;
    awaitTask(all(mutex, log));
    ASSERT_EQ(log.size(), 6);
    for (qsizetype i = 0; i < log.size(); i += 2) {
        EXPECT_TRUE(log[i].endsWith(QStringLiteral(" in"))) << log.join(u',').toStdString();
        EXPECT_EQ(log[i].chopped(3), log[i + 1].chopped(4)) << log.join(u',').toStdString();
    }
    EXPECT_EQ(log.front(), QStringLiteral("a in"));
    EXPECT_FALSE(mutex->isLocked());
}

TEST(AsyncMutex, freeMutexLocksAtOnce) {
    AsyncMutex mutex;
    auto locking = mutex.lock();
    EXPECT_TRUE(locking.isReady());
    EXPECT_TRUE(mutex.isLocked());
    mutex.unlock();
    EXPECT_FALSE(mutex.isLocked());
}

} // namespace
