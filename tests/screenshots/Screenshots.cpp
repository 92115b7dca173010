// Renders every state of the screens offscreen, from a fixed data set, into one PNG file each:
//   ondrel-screenshots OUTPUT_FOLDER
// Prints the files it wrote; fails when a screen could not be drawn cleanly.

#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/TaskItem.h"
#include "support/GateScene.h"
#include "support/WaitUntil.h"

#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QQuickStyle>
#include <QTest>
#include <QTimeZone>

#include <cstdio>

namespace {

Instant at(int year, int month, int day, int hour = 12, int minute = 0) {
    return Instant::fromQDateTime(
        QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone("Europe/Moscow")));
}

// The records name only the fields they set; the others keep their defaults.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// The folders: the inbox is a system folder.
QList<Folder> folders() {
    QList<Folder> result{{.id = "inbox", .name = "Входящие", .emoji = "📥", .isSystem = true},
                         {.id = "home", .name = "Дом", .emoji = "🏠"},
                         {.id = "work", .name = "Работа", .emoji = "💼"}};
    for (Folder& folder : result)
        folder.userId = QStringLiteral("u1");
    return result;
}

// The inbox's tasks, with every fact a card can show: active ones (one overdue, one with a
// checklist, one repeating, one with tags) and two done ones.
QList<TaskItem> tasks() {
    QList<TaskItem> result{
        {.id = "t1",
         .title = "Позвонить маме",
         .body = "Спросить про выходные и напомнить про лекарства.",
         .status = TaskStatus::todo,
         .priority = Priority::high,
         .dueDate = at(2025, 3, 11),
         .hasDeadline = true,
         .tags = {"семья"}},
        {.id = "t2",
         .title = "Купить продукты на неделю",
         .body = "Молоко, хлеб, яйца, сыр, овощи для супа и что-нибудь к чаю. Заодно посмотреть "
                 "скидки на кофе и взять пакеты, чтобы не покупать новые на кассе.",
         .status = TaskStatus::inProgress,
         .priority = Priority::medium,
         .tags = {"дом", "покупки"},
         .checklist = QList<ChecklistItem>{{"c1", "Молоко", true},
                                           {"c2", "Хлеб", false},
                                           {"c3", "Яйца", false}}},
        {.id = "t3",
         .title = "Оплатить интернет",
         .status = TaskStatus::todo,
         .priority = Priority::low,
         .dueDate = at(2030, 6, 15),
         .hasDeadline = true,
         .recurrence = "FREQ=MONTHLY;BYMONTHDAY=15"},
        {.id = "t4", .type = TaskType::idea, .title = "Идея: подкаст о продуктивности"},
        {.id = "t5",
         .title = "Отправить квартальный отчёт",
         .status = TaskStatus::done,
         .priority = Priority::high,
         .dueDate = at(2025, 3, 10),
         .hasDeadline = true,
         .tags = {"работа"},
         .completedAt = at(2025, 3, 10, 10, 15)},
        {.id = "t6",
         .title = "Записаться к врачу",
         .status = TaskStatus::done,
         .completedAt = at(2025, 3, 9, 18, 40)}};
    for (TaskItem& task : result) {
        task.userId = QStringLiteral("u1");
        task.folderId = QStringLiteral("inbox");
        task.createdAt = task.updatedAt = task.serverUpdatedAt = at(2025, 3, 1);
    }
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
    for (const auto& [status, createdAt] : made)
        result.append({.id = QStringLiteral("c%1").arg(result.size() + 1),
                       .userId = "u1",
                       .status = status,
                       .createdAt = createdAt});
    return result;
}

#pragma GCC diagnostic pop

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

// The gate over `service`, signed in or not; a signed-in root screen has loaded its lists. The
// service comes first, as the gate may ask it while the window is shown.
struct ServiceHolder {
    Service service;
};
class Scene : public ServiceHolder, public GateScene {
public:
    explicit Scene(bool signedIn, Service answers = {},
                   const QString& file = QStringLiteral("AppGateView.qml"))
        : ServiceHolder{answers},
          GateScene(
              signedIn, [this](const HTTPRequest& request) { return service.answer(request); },
              file, signedIn ? QSize(640, 760) : QSize(480, 440)) {
        if (signedIn)
            waitUntil([&] { return vm() && vm()->taskCount() == (service.withTasks ? 6 : 0); });
    }
};

class Shots {
public:
    explicit Shots(QString folder) : m_folder(std::move(folder)) { QDir().mkpath(m_folder); }

    void take(Scene& scene, const QString& name) {
        QTest::qWait(450); // transitions and springs come to rest
        const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (!scene.screen().saveImage(path))
            return fail(QStringLiteral("cannot write ") + path);
        std::printf("%s\n", qPrintable(path));
    }

    // What went wrong while drawing a scene, printed once it is done with.
    void check(Scene& scene) {
        for (const QString& warning : scene.screen().warnings())
            fail(warning);
    }

    bool failed() const { return m_failed; }

private:
    void fail(const QString& what) {
        std::fprintf(stderr, "%s\n", qPrintable(what));
        m_failed = true;
    }

    QString m_folder;
    bool m_failed = false;
};

void signIn(Shots& shots) {
    Scene scene(false);
    shots.take(scene, QStringLiteral("signin-idle"));
    scene.screen().click(scene.screen().item("signInButton"));
    shots.take(scene, QStringLiteral("signin-busy"));
    scene.screen().click(scene.screen().item("cancelSignInButton"));
    waitUntil([&] { return !scene.gate().busy(); });
    shots.take(scene, QStringLiteral("signin-error"));
    shots.check(scene);
}

void lists(Shots& shots) {
    {
        Scene scene(true, Service{.withTasks = false});
        shots.take(scene, QStringLiteral("root-empty"));
        shots.check(scene);
    }
    Scene scene(true);
    ScreenHarness& screen = scene.screen();
    shots.take(scene, QStringLiteral("root-tasks"));
    screen.item("taskList")->forceActiveFocus();
    screen.press(Qt::Key_Down);
    shots.take(scene, QStringLiteral("root-card-focus"));
    screen.click(screen.item("tab:home"), Qt::RightButton);
    shots.take(scene, QStringLiteral("tab-context-menu"));
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("card:t2"), Qt::RightButton);
    shots.take(scene, QStringLiteral("card-context-menu"));
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("addFolderButton"));
    screen.type(QStringLiteral("Путешествия"));
    shots.take(scene, QStringLiteral("new-folder-dialog"));
    screen.press(Qt::Key_Escape);
    shots.check(scene);
}

void captures(Shots& shots) {
    Scene scene(true);
    AppViewModel& vm = *scene.vm();
    scene.transport().setHeld(true);
    vm.sendText(QStringLiteral("купить молоко завтра"));
    shots.take(scene, QStringLiteral("root-busy"));
    scene.transport().release();
    waitUntil([&] { return !vm.isBusy(); });
    shots.take(scene, QStringLiteral("root-answer"));
    scene.service.failing = true;
    vm.sendText(QStringLiteral("что у меня на завтра"));
    waitUntil([&] { return !vm.isBusy(); });
    shots.take(scene, QStringLiteral("root-error"));
    shots.check(scene);
}

void recording(Shots& shots) {
    Scene scene(true);
    scene.updateState().reportValidUpdate();
    scene.screen().click(scene.screen().item("micButton"));
    waitUntil([&] { return scene.recorder().level() > 0.3; });
    shots.take(scene, QStringLiteral("root-recording-update-available"));
    scene.recorder().stopRecording();
    shots.check(scene);
}

// A voice capture the service failed: the error line offers to send the recording again.
void retry(Shots& shots) {
    Scene scene(true, Service{.failing = true});
    ScreenHarness& screen = scene.screen();
    screen.click(screen.item("micButton"));
    waitUntil([&] { return scene.recorder().level() > 0.3; });
    screen.click(screen.item("micButton"));
    waitUntil([&] { return scene.vm()->canRetryCapture(); });
    shots.take(scene, QStringLiteral("root-retry"));
    shots.check(scene);
}

// The edit sheet for an inbox task (it opens as "Открыта") and for one with a deadline, the
// deadline's calendar, and the question before a deletion.
void editSheet(Shots& shots) {
    Scene scene(true);
    ScreenHarness& screen = scene.screen();
    screen.click(screen.item("openButton", screen.item("card:t4")));
    shots.take(scene, QStringLiteral("edit-sheet-inbox"));
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("openButton", screen.item("card:t1")));
    shots.take(scene, QStringLiteral("edit-sheet-deadline"));
    screen.click(screen.item("datePicker"));
    shots.take(scene, QStringLiteral("edit-sheet-calendar"));
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("deleteTaskButton"));
    shots.take(scene, QStringLiteral("edit-sheet-delete-confirmation"));
    screen.press(Qt::Key_Escape);
    screen.press(Qt::Key_Escape);
    shots.check(scene);
}

// The folder delete sheet moving the tasks, deleting them, and with no folder to move them to.
void folderDeletion(Shots& shots) {
    for (const bool onlyOne : {false, true}) {
        Scene scene(true, Service{.onlyOneFolder = onlyOne});
        ScreenHarness& screen = scene.screen();
        screen.click(screen.item("tab:home"), Qt::RightButton);
        screen.click(screen.itemWithText(QStringLiteral("Удалить папку")));
        shots.take(scene, onlyOne ? QStringLiteral("folder-delete-no-others")
                                  : QStringLiteral("folder-delete-move"));
        if (!onlyOne) {
            screen.click(screen.item("secondSegment"));
            shots.take(scene, QStringLiteral("folder-delete-all"));
            screen.press(Qt::Key_Escape);
        }
        shots.check(scene);
    }
}

// The history (Ctrl+H) and a task's detail with its checklist (the card's "Подробнее").
void historyAndDetail(Shots& shots) {
    Scene scene(true);
    ScreenHarness& screen = scene.screen();
    screen.press(Qt::Key_H, Qt::ControlModifier);
    waitUntil([&] { return screen.item("capture:c5") != nullptr; });
    shots.take(scene, QStringLiteral("history"));
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("card:t2"), Qt::RightButton);
    screen.click(screen.itemWithText(QStringLiteral("Подробнее")));
    shots.take(scene, QStringLiteral("task-detail"));
    shots.check(scene);
}

// The whole window, its application menu open, then its tasks menu with the keys.
void window(Shots& shots) {
    Scene scene(true, {}, QStringLiteral("Main.qml"));
    scene.screen().click(scene.screen().itemWithText(QStringLiteral("Ondrel")));
    shots.take(scene, QStringLiteral("window-menu"));
    scene.screen().press(Qt::Key_Escape);
    scene.screen().click(scene.screen().itemWithText(QStringLiteral("Задачи")));
    shots.take(scene, QStringLiteral("window-tasks-menu"));
    shots.check(scene);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    Shots shots(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    for (const auto draw : {signIn, lists, captures, recording, retry, editSheet, folderDeletion,
                            historyAndDetail, window})
        draw(shots);
    return shots.failed() ? 1 : 0;
}
