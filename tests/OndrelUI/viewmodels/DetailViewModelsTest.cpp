#include "OndrelUI/viewmodels/CaptureHistoryViewModel.h"
#include "OndrelUI/viewmodels/TaskDetailViewModel.h"
#include "support/QtPrinters.h"

#include "OndrelCore/wire/ReprocessResponse.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"

#include <QSignalSpy>

namespace {

class CaptureHistoryTest : public ViewModelFixture {
protected:
    APIClient api{QUrl(QStringLiteral("https://service.test")), transport, QStringLiteral("tok")};
    CaptureHistoryViewModel vm{api};
};

TEST_F(CaptureHistoryTest, Load_open_and_reprocess_fill_their_fields) {
    const QList<Capture> captures{makeCapture("c2"), makeCapture("c1")};
    answer(captures);
    wait(vm.load());
    EXPECT_EQ(vm.captures(), captures);

    const CaptureWithRuns withRuns{makeCapture("c1"), {}};
    answer(withRuns);
    wait(vm.open("c1"));
    EXPECT_EQ(vm.detail(), withRuns);

    ReprocessResponse reprocessed;
    reprocessed.result = applyResult("Переделал");
    CaptureWithRuns refreshed = withRuns;
    refreshed.runs.append(ProcessingRun{});
    answer(reprocessed);
    answer(refreshed);
    wait(vm.reprocess("c1", QStringLiteral("купить кефир")));
    EXPECT_EQ(vm.lastResult(), reprocessed.result);
    EXPECT_EQ(vm.detail(), refreshed);
    EXPECT_EQ(newRequests(), (QStringList{"GET /captures", "GET /captures/c1",
                                          "POST /captures/c1/reprocess", "GET /captures/c1"}));
    EXPECT_FALSE(vm.errorText());
}

// Each operation has its fixed line, and a 401 is not renewed (no POST /auth/refresh).
TEST_F(CaptureHistoryTest, Failures_show_the_fixed_line_and_never_renew) {
    const std::pair<std::function<QCoro::Task<void>()>, QString> cases[] = {
        {[&] { return vm.load(); }, QStringLiteral("Не удалось загрузить историю")},
        {[&] { return vm.open("c1"); }, QStringLiteral("Не удалось открыть запрос")},
        {[&] { return vm.reprocess("c1", std::nullopt); },
         QStringLiteral("Не удалось переобработать")},
    };
    for (const auto& [operation, line] : cases) {
        answerStatus(401, "expired");
        wait(operation());
        EXPECT_EQ(vm.errorText(), line);
        EXPECT_EQ(newRequests().size(), 1);
    }
}

TEST_F(CaptureHistoryTest, A_later_success_keeps_the_line_and_a_failure_keeps_the_fields) {
    answerStatus(500, "x");
    wait(vm.load());
    answer(QList<Capture>{makeCapture("c1")});
    wait(vm.load());
    EXPECT_EQ(vm.captures().size(), 1);
    EXPECT_EQ(vm.errorText(), QStringLiteral("Не удалось загрузить историю"));
    answerStatus(500, "x");
    wait(vm.load());
    EXPECT_EQ(vm.captures().size(), 1);
}

TEST_F(CaptureHistoryTest, Reprocess_without_result_clears_the_last_result) {
    ReprocessResponse withResult;
    withResult.result = applyResult("первый");
    answer(withResult);
    answer(CaptureWithRuns{makeCapture("c1"), {}});
    wait(vm.reprocess("c1", std::nullopt));
    ASSERT_TRUE(vm.lastResult());
    EXPECT_EQ(body(), QJsonObject{});

    answer(ReprocessResponse{});
    answerStatus(404, "gone"); // the refreshing open fails
    wait(vm.reprocess("c1", std::nullopt));
    EXPECT_FALSE(vm.lastResult());
    EXPECT_EQ(vm.errorText(), QStringLiteral("Не удалось открыть запрос"));
}

TEST_F(CaptureHistoryTest, Operations_outliving_the_view_model_leave_it_alone) {
    auto doomed = std::make_unique<CaptureHistoryViewModel>(api);
    answer(QList<Capture>{});
    answerStatus(500, "x");
    answer(ReprocessResponse{});
    transport->setHeld(true);
    std::vector<QCoro::Task<void>> running;
    running.push_back(doomed->load());
    running.push_back(doomed->open("c1"));
    running.push_back(doomed->reprocess("c1", std::nullopt));
    doomed.reset();
    transport->release();
    transport->setHeld(false);
    for (auto& task : running)
        wait(std::move(task));
    EXPECT_EQ(transport->requests().size(), 3); // the reprocess did not go on to open
}

class TaskDetailTest : public ViewModelFixture {
protected:
    static TaskItem taskWithChecklist() {
        TaskItem task = makeTask("t1");
        task.checklist = QList<ChecklistItem>{{"c1", "молоко", false}, {"c2", "хлеб", true}};
        return task;
    }
    APIClient api{QUrl(QStringLiteral("https://service.test")), transport, QStringLiteral("tok")};
    TaskDetailViewModel vm{taskWithChecklist(), api};
};

TEST_F(TaskDetailTest, Save_sends_only_the_given_fields_and_adopts_the_answer) {
    TaskItem fromService = makeTask("t1", TaskStatus::inProgress);
    answer(fromService);
    wait(vm.save(QStringLiteral("Новое"), TaskStatus::inProgress, std::nullopt));
    EXPECT_EQ(newRequests(), QStringList{"PATCH /tasks/t1"});
    EXPECT_EQ(body(), (QJsonObject{{"title", "Новое"}, {"status", "IN_PROGRESS"}}));
    EXPECT_EQ(vm.task(), fromService);

    answer(fromService);
    wait(vm.save(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_EQ(*transport->requests().last().body, "{}");
}

TEST_F(TaskDetailTest, Failed_save_keeps_the_task_and_a_success_keeps_the_line) {
    answerStatus(500, "x");
    wait(vm.save(QStringLiteral("Новое"), std::nullopt, std::nullopt));
    EXPECT_EQ(vm.task(), taskWithChecklist());
    EXPECT_EQ(vm.errorText(), QStringLiteral("Не удалось сохранить"));
    answer(makeTask("t1"));
    wait(vm.save(std::nullopt, std::nullopt, Priority::low));
    EXPECT_EQ(vm.errorText(), QStringLiteral("Не удалось сохранить"));
}

TEST_F(TaskDetailTest, Checklist_ticks_are_local_and_lost_on_the_next_save) {
    QSignalSpy changes(&vm, &TaskDetailViewModel::taskChanged);
    vm.toggleChecklist("c1");
    EXPECT_TRUE(vm.task().checklist->at(0).done);
    EXPECT_EQ(changes.size(), 1);
    vm.toggleChecklist("nope");
    EXPECT_EQ(changes.size(), 1);
    EXPECT_TRUE(transport->requests().isEmpty());

    answer(taskWithChecklist()); // the service never heard of the tick
    wait(vm.save(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_FALSE(vm.task().checklist->at(0).done);

    TaskDetailViewModel without(makeTask("t2"), api);
    QSignalSpy none(&without, &TaskDetailViewModel::taskChanged);
    without.toggleChecklist("c1");
    EXPECT_EQ(none.size(), 0);
}

} // namespace
