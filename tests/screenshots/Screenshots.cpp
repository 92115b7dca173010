// Renders every state of the screens offscreen, light and dark (its name ending in "-dark"), from
// a fixed data set, into one PNG file each:
//   ondrel-screenshots OUTPUT_FOLDER
// Prints the files it wrote; fails when a screen could not be drawn cleanly, or when a shot has a
// text less legible than 4.5:1 or a control a screen reader cannot name (see ScreenAudit).

#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelUI/update/AppcastParser.h"
#include "support/GateScene.h"
#include "support/ScreenAudit.h"
#include "support/WaitUntil.h"

#include <QAccessible>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QQuickStyle>
#include <QTcpServer>
#include <QTest>
#include <QTimeZone>

#include <cstdio>

namespace {

Instant at(int year, int month, int day, int hour = 12, int minute = 0) {
    return Instant::fromQDateTime(
        QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone("Europe/Moscow")));
}

Folder folder(const char* id, const char* emoji, const char* name) {
    Folder folder;
    folder.id = QString::fromUtf8(id);
    folder.userId = QStringLiteral("u1");
    folder.name = QString::fromUtf8(name);
    folder.emoji = QString::fromUtf8(emoji);
    return folder;
}

// The folders: the inbox is a system folder.
QList<Folder> folders() {
    QList<Folder> result{folder("inbox", "📥", "Входящие"), folder("home", "🏠", "Дом"),
                         folder("work", "💼", "Работа")};
    result[0].isSystem = true;
    return result;
}

TaskItem task(const char* id, const char* title, TaskStatus status, Priority priority,
              std::optional<Instant> due = {}) {
    TaskItem task;
    task.id = QString::fromUtf8(id);
    task.userId = QStringLiteral("u1");
    task.folderId = QStringLiteral("inbox");
    task.title = QString::fromUtf8(title);
    task.status = status;
    task.priority = priority;
    task.dueDate = due;
    task.hasDeadline = due.has_value();
    task.createdAt = task.updatedAt = task.serverUpdatedAt = at(2025, 3, 1);
    return task;
}

// The inbox's tasks, with every fact a card can show: active ones (one overdue, one with a
// checklist, one repeating, one with tags) and two done ones.
QList<TaskItem> tasks() {
    QList<TaskItem> result{
        task("t1", "Позвонить маме", TaskStatus::todo, Priority::high, at(2025, 3, 11)),
        task("t2", "Купить продукты на неделю", TaskStatus::inProgress, Priority::medium),
        task("t3", "Оплатить интернет", TaskStatus::todo, Priority::low, at(2030, 6, 15)),
        task("t4", "Идея: подкаст о продуктивности", TaskStatus::inbox, Priority::none),
        task("t5", "Отправить квартальный отчёт", TaskStatus::done, Priority::high,
             at(2025, 3, 10)),
        task("t6", "Записаться к врачу", TaskStatus::done, Priority::none)};
    result[0].body = QStringLiteral("Спросить про выходные и напомнить про лекарства.");
    result[0].tags = {QStringLiteral("семья")};
    result[1].body = QStringLiteral(
        "Молоко, хлеб, яйца, сыр, овощи для супа и что-нибудь к чаю. Заодно посмотреть скидки "
        "на кофе и взять пакеты, чтобы не покупать новые на кассе.");
    result[1].checklist =
        QList<ChecklistItem>{{"c1", "Молоко", true}, {"c2", "Хлеб", false}, {"c3", "Яйца", false}};
    result[1].tags = {QStringLiteral("дом"), QStringLiteral("покупки")};
    result[2].recurrence = QStringLiteral("FREQ=MONTHLY;BYMONTHDAY=15");
    result[3].type = TaskType::idea;
    result[4].completedAt = at(2025, 3, 10, 10, 15);
    result[4].tags = {QStringLiteral("работа")};
    result[5].completedAt = at(2025, 3, 9, 18, 40);
    return result;
}

// Past captures in every status, newest first.
QList<Capture> captures() {
    const std::pair<CaptureStatus, Instant> made[] = {
        {CaptureStatus::processing, at(2025, 3, 11, 9, 5)},
        {CaptureStatus::processed, at(2025, 3, 10, 18, 30)},
        {CaptureStatus::failed, at(2025, 3, 10, 8, 12)},
        {CaptureStatus::superseded, at(2025, 3, 8, 21, 40)},
        {CaptureStatus::uploaded, at(2025, 3, 2, 7, 55)},
    };
    QList<Capture> result;
    for (const auto& [status, createdAt] : made) {
        Capture& capture = result.emplaceBack();
        capture.id = QStringLiteral("c%1").arg(result.size());
        capture.userId = QStringLiteral("u1");
        capture.status = status;
        capture.createdAt = createdAt;
    }
    return result;
}

// The service behind the screens, answering from the data set.
struct Service {
    HTTPResponse answer(const HTTPRequest& request) const {
        const QString path = request.url.path();
        const auto ok = [](const auto& value) {
            return HTTPResponse{ODJSON::encoder().encode(value), 200};
        };
        if (path == u"/folders")
            return ok(onlyOneFolder ? folders().mid(1, 1) : folders());
        if (path == u"/tasks")
            return ok(withTasks ? tasks() : QList<TaskItem>());
        if (path == u"/captures" && request.method == "GET")
            return ok(captures());
        if (failing && (path == u"/assistant" || path == u"/captures"))
            return {QByteArray("{\"error\":\"AI временно недоступен, попробуйте позже\"}"), 503};
        const ApplyResult result{
            .answer = QStringLiteral("Готово: добавил «Купить молоко» во «Входящие» на завтра.")};
        return path == u"/captures" ? ok(CaptureProcessResponse{.result = result}) : ok(result);
    }

    bool withTasks = true;
    bool onlyOneFolder = false;
    bool failing = false;
};

// Where the pictures go, and whether any could not be drawn cleanly.
struct Output {
    QString folder;
    bool dark = false; // every state is drawn light, then dark
    bool failed = false;
    ScreenAudit audit[2]; // light, dark

    void fail(const QString& what) {
        std::fprintf(stderr, "%s\n", qPrintable(what));
        failed = true;
    }
};

// The gate over `service`, signed in or not; a signed-in root screen has loaded its lists. The
// service comes first, as the gate may ask it while the window is shown.
struct ServiceHolder {
    Service service;
};
class Scene : public ServiceHolder, public GateScene {
public:
    Scene(Output& output, bool signedIn, Service answers = {},
          const QString& file = QStringLiteral("AppGateView.qml"),
          AppGate::Storage storage = AppGate::Storage::settingsFile, const QUrl& updateFeed = {})
        : ServiceHolder{answers},
          GateScene(
              signedIn, [this](const HTTPRequest& request) { return service.answer(request); },
              file, signedIn ? QSize(640, 760) : QSize(480, 440), storage, updateFeed),
          m_output(output) {
        setDark(output.dark);
        if (signedIn)
            waitUntil([&] { return vm() && vm()->taskCount() == (service.withTasks ? 6 : 0); });
    }
    // What went wrong while drawing, told once the scene is done with.
    ~Scene() {
        for (const QString& warning : screen().warnings())
            m_output.fail(warning);
    }

    void shot(const char* name) {
        QTest::qWait(450); // transitions and springs come to rest
        const QString path =
            QDir(m_output.folder)
                .filePath(QString::fromLatin1(name) +
                          (m_output.dark ? QStringLiteral("-dark.png") : QStringLiteral(".png")));
        screen().settle();
        const QImage image = screen().window().grabWindow();
        if (!image.save(path))
            return m_output.fail(QStringLiteral("cannot write ") + path);
        std::printf("%s\n", qPrintable(path));
        for (const QString& problem : m_output.audit[m_output.dark].check(screen().window(), image))
            m_output.fail(QStringLiteral("%1: %2").arg(path, problem));
    }

private:
    Output& m_output;
};

void signIn(Output& output) {
    Scene scene(output, false);
    ScreenHarness& screen = scene.screen();
    scene.shot("signin-idle");
    screen.click(screen.item("signInButton"));
    scene.shot("signin-busy");
    screen.click(screen.item("cancelSignInButton"));
    waitUntil([&] { return !scene.gate().busy(); });
    scene.shot("signin-error");
}

// A desktop without a keyring: the bus address leads nowhere, so the file keeps the sign-in.
void keyringRefused(Output& output) {
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/ondrel-screenshots-bus");
    Scene scene(output, false, {}, QStringLiteral("AppGateView.qml"), AppGate::Storage::keyring);
    waitUntil([&] { return scene.gate().ready(); }, std::chrono::seconds{30});
    scene.shot("signin-keyring-refused");
}

void lists(Output& output) {
    Scene(output, true, Service{.withTasks = false}).shot("root-empty");
    Scene scene(output, true);
    ScreenHarness& screen = scene.screen();
    scene.shot("root-tasks");
    screen.item("taskList")->forceActiveFocus();
    screen.press(Qt::Key_Down);
    scene.shot("root-card-focus");
    screen.click(screen.item("tab:home"), Qt::RightButton);
    scene.shot("tab-context-menu");
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("card:t2"), Qt::RightButton);
    scene.shot("card-context-menu");
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("addFolderButton"));
    screen.type(QStringLiteral("Путешествия"));
    scene.shot("new-folder-dialog");
    screen.press(Qt::Key_Escape);
}

// The search over the folder's tasks, its matches marked, then over every folder.
void search(Output& output) {
    Scene scene(output, true);
    ScreenHarness& screen = scene.screen();
    screen.press(Qt::Key_F, Qt::ControlModifier);
    screen.type(QStringLiteral("продукт"));
    scene.shot("root-search");
    screen.click(screen.item("allFoldersSwitch"));
    waitUntil([&] { return screen.find(QStringLiteral("folderLabel")) != nullptr; });
    scene.shot("root-search-all-folders");
    screen.click(screen.item("searchField"));
    screen.type(QStringLiteral("ъ"));
    scene.shot("root-search-nothing-found");
}

void captures(Output& output) {
    Scene scene(output, true);
    AppViewModel& vm = *scene.vm();
    scene.transport().setHeld(true);
    vm.sendText(QStringLiteral("купить молоко завтра"));
    scene.shot("root-busy");
    scene.transport().release();
    waitUntil([&] { return !vm.isBusy(); });
    scene.shot("root-answer");
    scene.service.failing = true;
    vm.sendText(QStringLiteral("что у меня на завтра"));
    waitUntil([&] { return !vm.isBusy(); });
    scene.shot("root-error");
}

void recording(Output& output) {
    Scene scene(output, true);
    scene.updateState().reportValidUpdate();
    scene.screen().click(scene.screen().item("micButton"));
    waitUntil([&] { return scene.recorder().level() > 0.3; });
    scene.shot("root-recording-update-available");
    scene.recorder().stopRecording();
}

// A voice capture the service failed: the error line offers to send the recording again.
void retry(Output& output) {
    Scene scene(output, true, Service{.failing = true});
    ScreenHarness& screen = scene.screen();
    screen.click(screen.item("micButton"));
    waitUntil([&] { return scene.recorder().level() > 0.3; });
    screen.click(screen.item("micButton"));
    waitUntil([&] { return scene.vm()->captureInput()->canRetryCapture(); });
    scene.shot("root-retry");
}

// A recording whose microphone went away: the error line says so and offers what it holds.
void interruption(Output& output) {
    Scene scene(output, true);
    scene.screen().click(scene.screen().item("micButton"));
    waitUntil([&] { return scene.recorder().level() > 0.3; });
    scene.tone().loseDevice(QStringLiteral("unplugged"));
    scene.shot("root-recording-interrupted");
}

// The edit sheet for an inbox task (it opens as "Открыта") and for one with a deadline, the
// deadline's calendar, and the question before a deletion.
void editSheet(Output& output) {
    Scene scene(output, true);
    ScreenHarness& screen = scene.screen();
    screen.click(screen.item("openButton", screen.item("card:t4")));
    scene.shot("edit-sheet-inbox");
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("openButton", screen.item("card:t1")));
    scene.shot("edit-sheet-deadline");
    screen.click(screen.item("datePicker"));
    scene.shot("edit-sheet-calendar");
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("deleteTaskButton"));
    scene.shot("edit-sheet-delete-confirmation");
    screen.press(Qt::Key_Escape);
    screen.press(Qt::Key_Escape);
}

// The folder delete sheet moving the tasks, deleting them, and with no folder to move them to.
void folderDeletion(Output& output) {
    for (const bool onlyOne : {false, true}) {
        Scene scene(output, true, Service{.onlyOneFolder = onlyOne});
        ScreenHarness& screen = scene.screen();
        screen.click(screen.item("tab:home"), Qt::RightButton);
        screen.click(screen.itemWithText(QStringLiteral("Удалить папку")));
        if (onlyOne)
            return scene.shot("folder-delete-no-others");
        scene.shot("folder-delete-move");
        screen.click(screen.item("secondSegment"));
        scene.shot("folder-delete-all");
        screen.press(Qt::Key_Escape);
    }
}

// The history (Ctrl+H) and a task's detail with its checklist (the card's "Подробнее").
void historyAndDetail(Output& output) {
    Scene scene(output, true);
    ScreenHarness& screen = scene.screen();
    screen.press(Qt::Key_H, Qt::ControlModifier);
    waitUntil([&] { return screen.item("capture:c5") != nullptr; });
    scene.shot("history");
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("card:t2"), Qt::RightButton);
    screen.click(screen.itemWithText(QStringLiteral("Подробнее")));
    scene.shot("task-detail");
}

// A reminder the desktop could not show, in the bottom panel.
void reminderLine(Output& output) {
    Scene scene(output, true);
    scene.vm()->setReminderNotice(QStringLiteral("Купить хлеб — Сегодня в 18:00 · белый и чёрный"));
    scene.shot("root-reminder-line");
}

// The whole window, its application menu open with its appearance submenu, then its tasks menu
// with the keys.
void window(Output& output) {
    Scene scene(output, true, {}, QStringLiteral("Main.qml"));
    ScreenHarness& screen = scene.screen();
    screen.click(screen.itemWithText(QStringLiteral("Ondrel")));
    scene.shot("window-menu");
    screen.click(screen.itemWithText(QStringLiteral("Оформление")));
    scene.shot("window-appearance-menu");
    screen.press(Qt::Key_Escape);
    screen.press(Qt::Key_Escape);
    screen.click(screen.itemWithText(QStringLiteral("Задачи")));
    scene.shot("window-tasks-menu");
}

// The update sheet offering a version with its notes, and after a check that found no server.
void updates(Output& output) {
    QHttpServer server;
    server.route(QStringLiteral("/appcast.xml"), [] {
        return QHttpServerResponse(
            "application/rss+xml",
            QStringLiteral(
                R"(<rss version="2.0" xmlns:ondrel="%1"><channel><item><title>Ondrel 0.2.0</title>)"
                "<ondrel:version>0.2.0</ondrel:version><description>Задачи можно переносить "
                "между папками перетаскиванием. Синхронизация быстрее на медленной сети."
                R"(</description><enclosure url="ondrel_0.2.0_amd64.deb" length="4096" )"
                R"(type="application/vnd.debian.binary-package" ondrel:edSignature="%2"/>)"
                "</item></channel></rss>")
                .arg(QString::fromLatin1(AppcastParser::updateNamespace),
                     QString::fromLatin1(QByteArray(64, 's').toBase64()))
                .toUtf8());
    });
    const quint16 port = server.listen(QHostAddress::LocalHost, 0);
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const quint16 refusing = closed.serverPort();
    closed.close();
    const std::pair<quint16, const char*> shots[] = {{port, "update-found"},
                                                     {refusing, "update-failed"}};
    for (const auto& [feedPort, name] : shots) {
        Scene scene(output, true, {}, QStringLiteral("Main.qml"), AppGate::Storage::settingsFile,
                    QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(feedPort)));
        scene.updater().checkForUpdates();
        waitUntil([&] { return scene.updater().state() != AppUpdater::State::Checking; });
        scene.shot(name);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // as the program has one: the harness's qApp is a QApplication
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QAccessible::setActive(true);
    Output output;
    output.folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(output.folder);
    for (const bool dark : {false, true}) {
        output.dark = dark;
        for (const auto draw :
             {signIn, keyringRefused, lists, search, captures, recording, retry, interruption,
              editSheet, folderDeletion, historyAndDetail, reminderLine, window, updates})
            draw(output);
        // The audit reached the screens' texts and controls, not an empty tree.
        const ScreenAudit& audit = output.audit[dark];
        std::printf("%s: %d texts, %d controls; lowest contrast %s\n", dark ? "dark" : "light",
                    audit.checkedTexts(), audit.checkedControls(), qPrintable(audit.lowestText()));
        if (audit.checkedTexts() < 300 || audit.checkedControls() < 300)
            output.fail(QStringLiteral("the audit saw too little"));
    }
    return output.failed ? 1 : 0;
}
