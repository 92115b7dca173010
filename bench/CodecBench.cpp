// Typed decoding and encoding of a realistic 10,000-task list, against the bare parses of the
// same bytes by Boost.JSON and by QJsonDocument.
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QJsonDocument>

#include <benchmark/benchmark.h>
#include <boost/json/parse.hpp>

namespace {

QList<TaskItem> realisticTasks(int count) {
    const QString titles[] = {QStringLiteral("Позвонить Ивану насчёт отчёта"),
                              QStringLiteral("Купить молоко, хлеб и яйца"),
                              QStringLiteral("Записаться к стоматологу на следующей неделе"),
                              QStringLiteral("Идея: приложение для семейного бюджета")};
    const Instant start = *Instant::fromISO8601("2024-06-01T09:30:00.250Z");
    QList<TaskItem> tasks;
    tasks.reserve(count);
    for (int i = 0; i < count; ++i) {
        const auto at = [&](int minutes) {
            return Instant{start.time + std::chrono::minutes{i * 7 + minutes}};
        };
        tasks.append(TaskItem{
            .id = QStringLiteral("tsk_%1_8f3a9c2e").arg(i),
            .userId = QStringLiteral("usr_5d1e7b40"),
            .folderId = QStringLiteral("fld_%1").arg(i % 12),
            .type = i % 5 == 0 ? TaskType::idea : TaskType::task,
            .title = titles[i % 4] + QStringLiteral(" №%1").arg(i),
            .body =
                QStringLiteral("Подробности: не забыть взять документы, уточнить время и адрес. "
                               "Список покупок обновлён 😀"),
            .transcript = QStringLiteral("напомни мне ") + titles[i % 4].toLower(),
            .status = i % 3 == 0 ? TaskStatus::done : TaskStatus::todo,
            .priority = Priority(i % 4),
            .dueDate = at(1440),
            .hasDeadline = i % 2 == 0,
            .reminderAt = at(1425),
            .reminderLead = 15,
            .recurrence = i % 10 == 0 ? std::optional(QStringLiteral("FREQ=WEEKLY;BYDAY=MO,WE"))
                                      : std::nullopt,
            .tags = {QStringLiteral("дом"), QStringLiteral("покупки"), QStringLiteral("срочно")},
            .checklist =
                QList<ChecklistItem>{
                    {QStringLiteral("chk_%1_1").arg(i), QStringLiteral("Проверить список"), true},
                    {QStringLiteral("chk_%1_2").arg(i), QStringLiteral("Взять пакет"), false}},
            .confidence = 0.87,
            .needsClarification = false,
            .source = SourceKind::voice,
            .createdAt = at(0),
            .updatedAt = at(3),
            .completedAt = i % 3 == 0 ? std::optional(at(60)) : std::nullopt,
            .deleted = false,
            .serverUpdatedAt = at(3),
        });
    }
    return tasks;
}

const QByteArray& taskListBytes() {
    static const QByteArray bytes = ODJSON::encoder().encode(realisticTasks(10000));
    return bytes;
}

void BM_DecodeTasksTyped(benchmark::State& state) {
    const QByteArray& bytes = taskListBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(ODJSON::decoder().decode<QList<TaskItem>>(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeTasksTyped)->Unit(benchmark::kMillisecond);

void BM_BoostJsonParseBaseline(benchmark::State& state) {
    const QByteArray& bytes = taskListBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(boost::json::parse(
            boost::json::string_view(bytes.constData(), std::size_t(bytes.size()))));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_BoostJsonParseBaseline)->Unit(benchmark::kMillisecond);

void BM_QJsonDocumentBaseline(benchmark::State& state) {
    const QByteArray& bytes = taskListBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument::fromJson(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_QJsonDocumentBaseline)->Unit(benchmark::kMillisecond);

void BM_EncodeTasks(benchmark::State& state) {
    const QList<TaskItem> tasks = realisticTasks(10000);
    qint64 size = 0;
    for (auto _ : state) {
        const QByteArray bytes = ODJSON::encoder().encode(tasks);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_EncodeTasks)->Unit(benchmark::kMillisecond);

} // namespace
