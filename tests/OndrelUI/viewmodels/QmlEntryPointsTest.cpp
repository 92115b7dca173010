#include "OndrelUI/viewmodels/AppViewModel.h"
#include "OndrelUI/viewmodels/CaptureHistoryViewModel.h"
#include "OndrelUI/viewmodels/TaskDetailViewModel.h"

#include "OndrelCore/wire/ApplyResult.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"
#include "support/QtPrinters.h"

#include "support/WaitUntil.h"

#include <QJSEngine>
#include <QQmlEngine>

namespace {

// The view model as a QML screen sees it: properties read from JavaScript and actions started
// through the invokable entry points, chained with then().
class QmlEntryPointsTest : public ViewModelFixture {
protected:
    QmlEntryPointsTest() { expose("vm", &vm); }

    void expose(const char* name, QObject* object) {
        QJSEngine::setObjectOwnership(object, QJSEngine::CppOwnership);
        engine.globalObject().setProperty(QString::fromLatin1(name), engine.newQObject(object));
    }

    // Runs `call` (a JavaScript expression giving a task) and waits for its then() callback.
    QJSValue run(const QString& call) {
        engine.globalObject().setProperty(QStringLiteral("finished"), false);
        const QJSValue started =
            engine.evaluate(call + QStringLiteral(".then(function() { finished = true; })"));
        EXPECT_FALSE(started.isError()) << started.toString().toStdString();
        EXPECT_TRUE(waitUntil([&] { return read(QStringLiteral("finished")).toBool(); }))
            << call.toStdString();
        return started;
    }
    QJSValue read(const QString& expression) { return engine.evaluate(expression); }

    QQmlEngine engine;
    AppViewModel vm{&session};
};

TEST_F(QmlEntryPointsTest, Screen_loads_and_reads_its_state) {
    answer(QList<Folder>{makeFolder("f1", QStringLiteral("Входящие"))});
    answer(QList<TaskItem>{makeTask("a"), makeTask("b", TaskStatus::done)});
    run(QStringLiteral("vm.showScreen()"));
    EXPECT_EQ(newRequests(), (QStringList{"GET /folders", "GET /tasks?folderId=f1"}));
    EXPECT_EQ(read("vm.selectedFolderId").toString(), QStringLiteral("f1"));
    EXPECT_EQ(read("vm.taskCount").toInt(), 2);
    EXPECT_EQ(read("vm.taskRows.rowCount()").toInt(), 3);
    EXPECT_TRUE(read("vm.errorText === \"\"").toBool());
    EXPECT_FALSE(read("vm.isBusy").toBool());
}

TEST_F(QmlEntryPointsTest, Actions_take_ids_and_wire_strings) {
    answer(QList<Folder>{makeFolder("f1", QStringLiteral("Входящие")),
                         makeFolder("f2", QStringLiteral("Дом"))});
    answer(QList<TaskItem>{makeTask("a")});
    run(QStringLiteral("vm.showScreen()"));
    newRequests();

    answer(makeTask("a", TaskStatus::done));
    run(QStringLiteral("vm.toggleTask('a')"));
    run(QStringLiteral("vm.toggleTask('missing')"));
    EXPECT_EQ(newRequests(), QStringList{"POST /tasks/a/complete"});

    answer(makeTask("a"));
    answer(QList<TaskItem>{});
    run(QStringLiteral("vm.saveTask('a', 'Молоко', '', 'IN_PROGRESS', 'HIGH', 'f2', "
                       "new Date(Date.UTC(2026, 0, 2)), true)"));
    EXPECT_EQ(body(1), (QJsonObject{{"title", "Молоко"},
                                    {"status", "IN_PROGRESS"},
                                    {"priority", "HIGH"},
                                    {"folderId", "f2"},
                                    {"body", ""},
                                    {"dueDate", "2026-01-02T00:00:00.000Z"},
                                    {"hasDeadline", true}}));
    run(QStringLiteral("vm.saveTask('a', 'x', '', 'NOT_A_STATUS', 'HIGH', '', new Date(), false)"));
    EXPECT_EQ(newRequests(), (QStringList{"PATCH /tasks/a", "GET /tasks?folderId=f1"}));

    answer(makeFolder("f2", QStringLiteral("Дом")));
    answer(QList<Folder>{makeFolder("f1", QStringLiteral("Входящие"))});
    answer(QList<TaskItem>{});
    run(QStringLiteral("vm.removeFolder('f2', 'f1', false)"));
    EXPECT_EQ(newRequests(), (QStringList{"DELETE /folders/f2?tasks=move&to=f1", "GET /folders",
                                          "GET /tasks?folderId=f1"}));

    ApplyResult result;
    result.answer = QStringLiteral("Готово, записал");
    answer(result);
    answer(QList<Folder>{makeFolder("f1", QStringLiteral("Входящие"))});
    answer(QList<TaskItem>{});
    run(QStringLiteral("vm.sendText('купить хлеб')"));
    EXPECT_EQ(read("vm.assistantAnswer").toString(), QStringLiteral("Готово, записал"));
}

TEST_F(QmlEntryPointsTest, Input_is_sent_as_typed_unless_only_spaces_and_tabs) {
    const struct {
        const char* input;
        bool submitted;
        QStringList requests;
    } cases[] = {
        {"", false, {}},
        {" \t  ", false, {}},
        {"\n", true, {}}, // a line break is content here; the view model trims it away
        {" чай ", true, {"POST /assistant"}},
    };
    for (const auto& c : cases) {
        transport->setHandler([](const HTTPRequest& request) {
            return HTTPResponse{request.url.path() == u"/assistant"
                                    ? ODJSON::encoder().encode(applyResult(QStringLiteral("ок")))
                                    : QByteArray("[]"),
                                200};
        });
        EXPECT_EQ(vm.submitInput(QString::fromUtf8(c.input)), c.submitted) << c.input;
        EXPECT_TRUE(waitUntil([&] { return !vm.isBusy(); }));
        QStringList sent = newRequests();
        sent.removeAll(QStringLiteral("GET /folders"));
        sent.removeAll(QStringLiteral("GET /tasks"));
        EXPECT_EQ(sent, c.requests) << c.input;
    }
    EXPECT_EQ(body(2), (QJsonObject{{"text", "чай"}}));

    answer(QList<TaskItem>{});
    run(QStringLiteral("vm.changeSort(true)"));
    EXPECT_TRUE(vm.sortByDeadline());
    EXPECT_EQ(newRequests(), QStringList{"GET /tasks"});
}

TEST_F(QmlEntryPointsTest, History_and_detail_read_as_plain_values) {
    const APIClient api(session.baseURL(), transport, QStringLiteral("access-1"));
    CaptureHistoryViewModel history(api);
    TaskItem task = makeTask("t1");
    task.body = QStringLiteral(" \n ");
    task.checklist = QList<ChecklistItem>{{.id = "c1", .title = "Хлеб"}};
    TaskDetailViewModel detail(task, api);
    expose("history", &history);
    expose("detail", &detail);

    answer(QList<Capture>{makeCapture("c1"), makeCapture("c2")});
    run(QStringLiteral("history.loadHistory()"));
    EXPECT_EQ(read("history.captureRows.rowCount()").toInt(), 2);
    EXPECT_EQ(read("history.errorText").toString(), QString());
    answerStatus(500);
    run(QStringLiteral("history.openCapture('c1')"));
    EXPECT_EQ(read("history.errorText").toString(), QStringLiteral("Не удалось открыть запрос"));

    EXPECT_EQ(read("detail.bodyText").toString(), QString());
    EXPECT_FALSE(read("detail.dueDate.getTime() > 0").toBool());
    read("detail.toggleChecklist('c1')");
    EXPECT_TRUE(detail.task().checklist->at(0).done);
    newRequests();
    TaskItem started = task;
    started.status = TaskStatus::inProgress;
    answer(started);
    run(QStringLiteral("detail.saveTask('', 'IN_PROGRESS', '')"));
    run(QStringLiteral("detail.saveTask('', 'BOGUS', '')"));
    EXPECT_EQ(newRequests(), QStringList{"PATCH /tasks/t1"});
    EXPECT_EQ(body(), (QJsonObject{{"status", "IN_PROGRESS"}}));
    EXPECT_EQ(read("detail.status").toString(), QStringLiteral("IN_PROGRESS"));
}

} // namespace
