#pragma once

#include "OndrelUI/reminders/DesktopCalendarService.h"
#include "OndrelUI/reminders/DesktopNotifications.h"
#include "OndrelUI/reminders/ReminderClock.h"
#include "OndrelUI/reminders/ReminderPlanner.h"
#include "OndrelUI/viewmodels/AppViewModel.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"
#include "reminders/FakeNotificationServer.h"
#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include <QDBusPendingCall>
#include <QSignalSpy>
#include <QThreadPool>
#include <QUrlQuery>

#include <ctime>

class ManualClock final : public ReminderClock {
public:
    Instant now() const override { return at; }
    qint64 monotonicMs() const override { return 0; }
    Instant at;
};

// 12:00 on a Tuesday, UTC; tests name times in minutes from it.
inline Instant minute(int minutes) {
    return Instant{Instant::fromISO8601("2026-03-10T12:00:00Z")->time +
                   std::chrono::minutes{minutes}};
}

inline TaskItem dueTask(const QString& id, const QString& title, int dueMinute) {
    TaskItem task = makeTask(id);
    task.title = title;
    task.folderId = QStringLiteral("f1");
    task.hasDeadline = true;
    task.dueDate = minute(dueMinute);
    return task;
}

// Ondrel's reminders against a notification server on a private bus, a service that lists
// `serverTasks`, and a clock that moves only when told.
class ReminderFixture : public ViewModelFixture {
protected:
    ReminderFixture() {
        qputenv("TZ", "UTC");
        tzset();
        clock.at = minute(0);
        transport->setHandler([this](const HTTPRequest& request) { return serve(request); });
    }

    // The planner's last reading of the list is answered and resumed before it goes: a reading
    // left waiting on the transport would outlive it.
    void TearDown() override {
        if (planner) {
            EXPECT_TRUE(waitUntil([&] { return !planner->isPlanning(); }));
        }
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::processEvents();
            QThreadPool::globalInstance()->waitForDone();
        }
        QCoreApplication::processEvents();
    }

    // Ondrel starts: a new calendar and planner, over the settings of the last run.
    void launch() {
        shutDown();
        notifications = std::make_unique<DesktopNotifications>(client, QStringLiteral("ondrel"));
        calendar = std::make_unique<DesktopCalendarService>(notifications.get(), &clock, &shown,
                                                            jumpCheck);
        settle(); // the capabilities are known before anything is shown
        planner = std::make_unique<ReminderPlanner>(&viewModel, calendar.get(),
                                                    std::chrono::milliseconds{0});
        QSignalSpy planned(planner.get(), &ReminderPlanner::planned);
        ASSERT_TRUE(planned.wait());
        settle();
    }
    // Ondrel quits: its notices are closed.
    void shutDown() {
        planner.reset();
        calendar.reset();
        settle();
    }
    void reload(QList<TaskItem> tasks) {
        serverTasks = std::move(tasks);
        QSignalSpy planned(planner.get(), &ReminderPlanner::planned);
        planner->refresh();
        ASSERT_TRUE(planned.wait());
        settle();
    }
    void advanceTo(int minutes) {
        clock.at = minute(minutes);
        calendar->replan();
        settle();
    }
    // Every call made on the bus so far has been answered and its answer handled: a call to the
    // server comes after what was sent to it before, and one to the bus after its signals.
    void settle() {
        const QString service = server ? QStringLiteral("org.freedesktop.Notifications")
                                       : QStringLiteral("org.freedesktop.DBus");
        const QDBusPendingCall barrier = client.asyncCall(QDBusMessage::createMethodCall(
            service, u'/' + QString(service).replace(u'.', u'/'), service,
            server ? QStringLiteral("GetCapabilities") : QStringLiteral("GetId")));
        ASSERT_TRUE(waitUntil([&] { return barrier.isFinished(); }));
        QCoreApplication::processEvents();
    }

    HTTPResponse serve(const HTTPRequest& request) {
        const QStringList path = request.url.path().split(u'/', Qt::SkipEmptyParts);
        const QString folder = QUrlQuery(request.url).queryItemValue(QStringLiteral("folderId"));
        if (request.method == "GET" && path == QStringList{QStringLiteral("tasks")}) {
            QList<TaskItem> listed = serverTasks;
            if (!folder.isEmpty())
                listed.removeIf([&](const TaskItem& task) { return task.folderId != folder; });
            return {ODJSON::encoder().encode(listed), 200};
        }
        for (TaskItem& task : serverTasks)
            if (request.method == "POST" && path.value(1) == task.id &&
                path.value(2) == QStringLiteral("complete")) {
                task.status = TaskStatus::done;
                return {ODJSON::encoder().encode(task), 200};
            }
        return {"{}", 404};
    }

    std::chrono::milliseconds jumpCheck = std::chrono::seconds{30};
    PrivateBus bus;
    QDBusConnection serverBus = bus.connect();
    QDBusConnection client = bus.connect();
    std::unique_ptr<FakeNotificationServer> server =
        std::make_unique<FakeNotificationServer>(serverBus);
    ManualClock clock;
    QSettings shown{directory.filePath(QStringLiteral("shown.ini")), QSettings::IniFormat};
    QList<TaskItem> serverTasks;
    AppViewModel viewModel{&session};
    std::unique_ptr<DesktopNotifications> notifications;
    std::unique_ptr<DesktopCalendarService> calendar;
    std::unique_ptr<ReminderPlanner> planner;
};
