#include "OndrelUI/viewmodels/CaptureHistoryViewModel.h"
#include "OndrelUI/viewmodels/TaskDetailViewModel.h"
#include "support/QtPrinters.h"

#include "OndrelCore/wire/ReprocessResponse.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"

namespace {

// The history and the task detail, each on a plain client that never renews its token.
class DetailViewModelsTest : public ViewModelFixture {
protected:
    APIClient api{QUrl(QStringLiteral("https://service.test")), transport, QStringLiteral("tok")};
};

// A reprocess opens the capture again to show the new run; one without a result clears the last.
// Each operation's failure has its fixed line and keeps what the screen shows.
TEST_F(DetailViewModelsTest, History_reprocess_shows_the_result_and_the_new_run) {
    CaptureHistoryViewModel vm(api);
    ReprocessResponse reprocessed;
    reprocessed.result = applyResult("Переделал");
    const CaptureWithRuns refreshed{makeCapture("c1"), {ProcessingRun{}}};
    answer(reprocessed, refreshed, ReprocessResponse{}, refreshed);
    wait(vm.reprocess("c1", QStringLiteral("купить кефир")));
    EXPECT_EQ(vm.lastResult(), reprocessed.result);
    EXPECT_EQ(vm.detail(), refreshed);
    EXPECT_EQ(body(1), (QJsonObject{{"editedText", "купить кефир"}}));
    wait(vm.reprocess("c1", std::nullopt));
    EXPECT_EQ(body(1), QJsonObject{});
    EXPECT_FALSE(vm.lastResult());
    EXPECT_EQ(newRequests(), (QStringList{"POST /captures/c1/reprocess", "GET /captures/c1",
                                          "POST /captures/c1/reprocess", "GET /captures/c1"}));

    answer(QList<Capture>{makeCapture("c2"), makeCapture("c1")});
    wait(vm.load());
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
    }
    EXPECT_EQ(vm.captures().size(), 2);
}

// A failed save keeps the task as shown and its line stays after a later success; checklist
// ticks, which the service never hears of, last until the next answer.
TEST_F(DetailViewModelsTest, Detail_saves_only_the_given_fields_and_adopts_the_answer) {
    TaskItem task = makeTask("t1");
    task.checklist = QList<ChecklistItem>{{"c1", "молоко", false}};
    TaskDetailViewModel vm(task, api);
    vm.chooseStatus(6); // off the list: nothing
    vm.toggleChecklist("c1");
    answerStatus(500, "x");
    wait(vm.save(QStringLiteral("Новое"), std::nullopt, std::nullopt));
    EXPECT_TRUE(vm.task().checklist->at(0).done);
    EXPECT_EQ(vm.errorText(), QStringLiteral("Не удалось сохранить"));

    answer(task, task);
    wait(vm.save(QStringLiteral("Новое"), TaskStatus::inProgress, std::nullopt));
    EXPECT_EQ(body(), (QJsonObject{{"title", "Новое"}, {"status", "IN_PROGRESS"}}));
    EXPECT_EQ(vm.task(), task);
    wait(vm.save(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_EQ(*transport->requests().last().body, "{}");
    EXPECT_EQ(transport->requests().size(), 3);
    EXPECT_EQ(vm.errorText(), QStringLiteral("Не удалось сохранить"));
}

} // namespace
