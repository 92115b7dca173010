#include "OndrelLocalService/assistant/Assistant.h"

#include "OndrelCore/planning/RecurrenceRule.h"
#include "OndrelLocalService/assistant/CommandParser.h"
#include "OndrelLocalService/assistant/WordStem.h"
#include "OndrelLocalService/services/TextLimits.h"

#include <QTimeZone>

using Action = ParsedCommand::Action;
using Gap = ParsedCommand::Gap;

struct Assistant::Call {
    QString userId;
    QString text;
    SourceKind source;
    QDateTime now;
};

namespace {
constexpr double sureConfidence = 0.9;
constexpr double unsureConfidence = 0.3;
constexpr qsizetype listedTitles = 5;

QString quoted(const QString& text) {
    return u'«' + text + u'»';
}

QString plural(qint64 n, const char* one, const char* few, const char* many) {
    const qint64 tens = n % 100;
    const qint64 units = n % 10;
    const char* form = (tens >= 11 && tens <= 14)   ? many
                       : units == 1                 ? one
                       : (units >= 2 && units <= 4) ? few
                                                    : many;
    return QString::number(n) + u' ' + QString::fromUtf8(form);
}

QString titles(const QList<TaskItem>& tasks) {
    QStringList parts;
    for (qsizetype i = 0; i < tasks.size() && i < listedTitles; ++i)
        parts.append(quoted(tasks[i].title));
    QString text = parts.join(QStringLiteral(", "));
    if (tasks.size() > listedTitles)
        text += QStringLiteral(" и ещё %1").arg(tasks.size() - listedTitles);
    return text;
}

// Tasks with a due date first, earliest first; the rest keep their order.
QList<TaskItem> byDueDate(QList<TaskItem> tasks) {
    std::stable_sort(tasks.begin(), tasks.end(), [](const TaskItem& a, const TaskItem& b) {
        if (!a.dueDate || !b.dueDate)
            return a.dueDate.has_value() && !b.dueDate.has_value();
        return *a.dueDate < *b.dueDate;
    });
    return tasks;
}

// "по вторникам и четвергам", "каждые 3 дня": a rule read back in words.
QString repeatWords(const QString& text) {
    const std::optional<RecurrenceRule> rule = RecurrenceRule::parse(text);
    if (!rule)
        return text;
    static const char* const weekdays[]{"понедельникам", "вторникам", "средам",      "четвергам",
                                        "пятницам",      "субботам",  "воскресеньям"};
    const qint64 n = rule->interval;
    QStringList days;
    for (int day : rule->byWeekday)
        days.append(QString::fromUtf8(weekdays[day - 1]));
    switch (rule->freq) {
    case RecurrenceRule::Freq::daily:
        return n > 1 ? QStringLiteral("каждые ") + plural(n, "день", "дня", "дней")
                     : QStringLiteral("каждый день");
    case RecurrenceRule::Freq::weekly:
        if (rule->byWeekday == QList<int>{1, 2, 3, 4, 5})
            return QStringLiteral("по будням");
        if (rule->byWeekday == QList<int>{6, 7})
            return QStringLiteral("по выходным");
        if (!days.isEmpty())
            return QStringLiteral("по ") + days.join(QStringLiteral(", "));
        return n > 1 ? QStringLiteral("каждые ") + plural(n, "неделю", "недели", "недель")
                     : QStringLiteral("каждую неделю");
    case RecurrenceRule::Freq::monthly:
        return (n > 1 ? QStringLiteral("каждые ") + plural(n, "месяц", "месяца", "месяцев")
                      : QStringLiteral("каждый месяц")) +
               (rule->byMonthDay ? QStringLiteral(", %1-го числа").arg(*rule->byMonthDay)
                                 : QString());
    case RecurrenceRule::Freq::yearly:
        break;
    }
    return QStringLiteral("каждый год");
}

ApplyResult result(Intent intent, const QString& transcript, QString answer) {
    return ApplyResult{.intent = intent,
                       .transcript = transcript,
                       .confidence = sureConfidence,
                       .status = RunStatus::success,
                       .answer = std::move(answer)};
}
} // namespace

ApplyResult Assistant::apply(const QString& userId, const QString& text, SourceKind source) {
    Call call{userId, text.trimmed(), source, m_store.now().toQDateTime().toTimeZone(zone(userId))};
    TextLimits::check(QStringLiteral("text"), call.text, TextLimits::command);
    QStringList folderNames;
    for (const Folder& folder : m_folders.list(userId))
        folderNames.append(folder.name);
    const ParsedCommand command = CommandParser::parse(call.text, call.now, folderNames);
    return m_store.change([&] { return run(call, command); });
}

ApplyResult Assistant::run(Call& call, const ParsedCommand& command) {
    switch (command.action) {
    case Action::createTask:
        return createTask(call, command);
    case Action::completeTask:
        return completeTask(call, command);
    case Action::deleteTask:
        return deleteTask(call, command);
    case Action::rescheduleTask:
        return rescheduleTask(call, command);
    case Action::setPriority:
        return setPriority(call, command);
    case Action::createFolder:
        return createFolder(call, command);
    case Action::queryDay:
        return queryDay(call, command);
    case Action::queryFolder:
        return queryFolder(call, command);
    case Action::queryOpen:
        return queryOpen(call);
    case Action::clarify:
        break;
    }
    return clarify(call, command.gap, command.subject);
}

QTimeZone Assistant::zone(const QString& userId) const {
    const std::optional<User> user = m_store.user(userId);
    const QTimeZone named(user ? user->timezone.toLatin1() : QByteArray());
    return named.isValid() ? named : QTimeZone::utc();
}

std::optional<Folder> Assistant::targetFolder(Call& call, const ParsedCommand& command,
                                              std::optional<ApplyResult>& asked) {
    if (!command.folderName)
        return m_store.inbox(call.userId);
    if (std::optional<Folder> found = m_folders.findByName(call.userId, *command.folderName))
        return found;
    if (command.newFolder)
        return m_folders.insert(call.userId, *command.folderName);
    asked = question(
        call, QStringLiteral("Не нашёл папку %1. В какую папку %2?")
                  .arg(quoted(*command.folderName), command.action == Action::rescheduleTask
                                                        ? QStringLiteral("перенести задачу")
                                                        : QStringLiteral("добавить задачу")));
    return std::nullopt;
}

QString Assistant::when(const QDateTime& due, const QDate& today) {
    const QDate day = due.date();
    QString text = day == today              ? QStringLiteral("сегодня")
                   : day == today.addDays(1) ? QStringLiteral("завтра")
                                             : day.toString(QStringLiteral("dd.MM.yyyy"));
    if (due.time() != QTime(23, 59))
        text += QStringLiteral(" в ") + due.time().toString(QStringLiteral("HH:mm"));
    return text;
}

ApplyResult Assistant::createTask(Call& call, const ParsedCommand& command) {
    const bool created = command.newFolder && command.folderName &&
                         !m_folders.findByName(call.userId, *command.folderName);
    std::optional<ApplyResult> asked;
    const std::optional<Folder> folder = targetFolder(call, command, asked);
    if (asked)
        return *asked;
    const bool done = command.action == Action::completeTask;
    const TaskItem task = m_tasks.insert(
        call.userId,
        TaskItem{.folderId = folder ? std::optional(folder->id) : std::nullopt,
                 .title = command.subject,
                 .transcript = call.text,
                 .status = done ? TaskStatus::done : TaskStatus::todo,
                 .priority = command.priority.value_or(Priority::none),
                 .dueDate = command.due ? std::optional(Instant::fromQDateTime(*command.due))
                                        : std::nullopt,
                 .hasDeadline = command.due.has_value(),
                 .recurrence = done ? std::nullopt : command.recurrence,
                 .confidence = sureConfidence,
                 .source = call.source});
    const QString kind = task.priority == Priority::high ? QStringLiteral("важную задачу")
                         : task.priority == Priority::low ? QStringLiteral("несрочную задачу")
                                                          : QStringLiteral("задачу");
    QString answer =
        done ? QStringLiteral("Записал как выполненную задачу %1").arg(quoted(task.title))
             : QStringLiteral("Добавил %1 %2").arg(kind, quoted(task.title));
    if (created && folder)
        answer = QStringLiteral("Создал папку %1. ").arg(quoted(folder->name)) + answer;
    if (folder && !done)
        answer += QStringLiteral(" в папку %1").arg(quoted(folder->name));
    if (command.due && !done)
        answer += QStringLiteral(" на ") + when(*command.due, call.now.date());
    if (task.recurrence)
        answer += QStringLiteral(", повторять ") + repeatWords(*task.recurrence);
    ApplyResult applied =
        result(done ? Intent::createDone : Intent::captureNew, call.text, answer + u'.');
    if (created)
        applied.actions.append({QStringLiteral("CREATE_FOLDER"), std::nullopt});
    applied.actions.append({QStringLiteral("CREATE_TASK"), task.id});
    applied.tasks.append(task);
    return applied;
}

ApplyResult Assistant::completeTask(Call& call, const ParsedCommand& command) {
    QList<TaskItem> found = find(call.userId, command.subject, true);
    if (found.isEmpty()) {
        // Nothing by that name: the user reports something already done.
        ParsedCommand record = command;
        record.subject = command.subject.left(1).toUpper() + command.subject.mid(1);
        return createTask(call, record);
    }
    if (found.size() > 1)
        return notFoundOrAmbiguous(call, command.subject, found);
    TaskItem& task = found.first();
    ApplyResult applied = result(Intent::completeTask, call.text, QString());
    if (task.status == TaskStatus::done) {
        applied.answer = QStringLiteral("Задача %1 уже выполнена.").arg(quoted(task.title));
    } else {
        m_tasks.setStatus(task, TaskStatus::done);
        m_tasks.touch(task);
        applied.answer = QStringLiteral("Отметил выполненной задачу %1.").arg(quoted(task.title));
        applied.actions.append({QStringLiteral("COMPLETE_TASK"), task.id});
    }
    applied.tasks.append(task);
    return applied;
}

ApplyResult Assistant::deleteTask(Call& call, const ParsedCommand& command) {
    QList<TaskItem> found = find(call.userId, command.subject, false);
    if (found.size() != 1)
        return notFoundOrAmbiguous(call, command.subject, found);
    TaskItem& task = found.first();
    task.deleted = true;
    m_tasks.touch(task);
    ApplyResult applied = result(Intent::deleteTask, call.text,
                                 QStringLiteral("Удалил задачу %1.").arg(quoted(task.title)));
    applied.actions.append({QStringLiteral("DELETE_TASK"), task.id});
    applied.tasks.append(task);
    return applied;
}

ApplyResult Assistant::rescheduleTask(Call& call, const ParsedCommand& command) {
    QList<TaskItem> found = find(call.userId, command.subject, true);
    if (found.size() != 1)
        return notFoundOrAmbiguous(call, command.subject, found);
    std::optional<ApplyResult> asked;
    const std::optional<Folder> folder = targetFolder(call, command, asked);
    if (asked)
        return *asked;
    TaskItem& task = found.first();
    QString answer = QStringLiteral("Перенёс задачу %1").arg(quoted(task.title));
    if (command.folderName && folder) {
        task.folderId = folder->id;
        answer += QStringLiteral(" в папку %1").arg(quoted(folder->name));
    }
    if (command.due) {
        task.dueDate = Instant::fromQDateTime(*command.due);
        task.hasDeadline = true;
        answer += QStringLiteral(" на ") + when(*command.due, call.now.date());
    }
    m_tasks.touch(task);
    ApplyResult applied = result(Intent::updateTask, call.text, answer + u'.');
    applied.actions.append({QStringLiteral("UPDATE_TASK"), task.id});
    applied.tasks.append(task);
    return applied;
}

ApplyResult Assistant::setPriority(Call& call, const ParsedCommand& command) {
    QList<TaskItem> found = find(call.userId, command.subject, true);
    if (found.isEmpty() && command.createIfMissing) {
        ParsedCommand create = command;
        create.action = Action::createTask;
        return createTask(call, create);
    }
    if (found.size() != 1)
        return notFoundOrAmbiguous(call, command.subject, found);
    TaskItem& task = found.first();
    task.priority = command.priority.value_or(Priority::high);
    if (command.due) {
        task.dueDate = Instant::fromQDateTime(*command.due);
        task.hasDeadline = true;
    }
    m_tasks.touch(task);
    const QString answer =
        task.priority == Priority::high
            ? QStringLiteral("Отметил задачу %1 как важную.").arg(quoted(task.title))
            : QStringLiteral("Снял с задачи %1 отметку важности.").arg(quoted(task.title));
    ApplyResult applied = result(Intent::updateTask, call.text, answer);
    applied.actions.append({QStringLiteral("UPDATE_TASK"), task.id});
    applied.tasks.append(task);
    return applied;
}

ApplyResult Assistant::createFolder(Call& call, const ParsedCommand& command) {
    if (const std::optional<Folder> existing = m_folders.findByName(call.userId, command.subject))
        return result(Intent::captureNew, call.text,
                      QStringLiteral("Папка %1 уже есть.").arg(quoted(existing->name)));
    const Folder folder = m_folders.insert(call.userId, command.subject);
    ApplyResult applied = result(Intent::captureNew, call.text,
                                 QStringLiteral("Создал папку %1.").arg(quoted(folder.name)));
    applied.actions.append({QStringLiteral("CREATE_FOLDER"), std::nullopt});
    return applied;
}

ApplyResult Assistant::queryDay(Call& call, const ParsedCommand& command) {
    QList<TaskItem> due;
    for (const TaskItem& task : m_tasks.list(call.userId, std::nullopt, std::nullopt))
        if (!isClosed(task.status) && task.dueDate &&
            task.dueDate->toQDateTime().toTimeZone(call.now.timeZone()).date() == *command.day)
            due.append(task);
    due = byDueDate(due);
    const QString day =
        when(QDateTime(*command.day, QTime(23, 59), call.now.timeZone()), call.now.date());
    QString answer = QStringLiteral("На %1 задач нет.").arg(day);
    if (!due.isEmpty())
        answer = QStringLiteral("На %1 %2: %3.")
                     .arg(day, plural(due.size(), "задача", "задачи", "задач"), titles(due));
    ApplyResult applied = result(Intent::query, call.text, answer);
    applied.queryResults = due;
    return applied;
}

ApplyResult Assistant::queryFolder(Call& call, const ParsedCommand& command) {
    const std::optional<Folder> folder = m_folders.findByName(call.userId, *command.folderName);
    if (!folder)
        return question(call, QStringLiteral("Не нашёл папку %1. Какую папку показать?")
                                  .arg(quoted(*command.folderName)));
    QList<TaskItem> open;
    for (const TaskItem& task : m_tasks.list(call.userId, folder->id, std::nullopt))
        if (!isClosed(task.status))
            open.append(task);
    open = byDueDate(open);
    QString answer = QStringLiteral("В папке %1 открытых задач нет.").arg(quoted(folder->name));
    if (!open.isEmpty())
        answer = QStringLiteral("В папке %1 %2: %3.")
                     .arg(quoted(folder->name), plural(open.size(), "задача", "задачи", "задач"),
                          titles(open));
    ApplyResult applied = result(Intent::query, call.text, answer);
    applied.queryResults = open;
    return applied;
}

ApplyResult Assistant::queryOpen(Call& call) {
    QList<TaskItem> open;
    for (const TaskItem& task : m_tasks.list(call.userId, std::nullopt, std::nullopt))
        if (!isClosed(task.status))
            open.append(task);
    open = byDueDate(open);
    QString answer = QStringLiteral("Открытых задач нет.");
    if (!open.isEmpty())
        answer =
            QStringLiteral("У тебя %1: %2.")
                .arg(plural(open.size(), "открытая задача", "открытые задачи", "открытых задач"),
                     titles(open));
    ApplyResult applied = result(Intent::query, call.text, answer);
    applied.queryResults = open;
    return applied;
}

ApplyResult Assistant::clarify(Call& call, Gap gap, const QString& subject) {
    switch (gap) {
    case Gap::taskName:
        return question(call, QStringLiteral("О какой задаче речь?"));
    case Gap::folderName:
        return question(call, QStringLiteral("Как назвать папку?"));
    case Gap::date:
        return question(call, QStringLiteral("На когда перенести %1?").arg(quoted(subject)));
    case Gap::none:
    case Gap::command:
        break;
    }
    return question(call, QStringLiteral("Не понял. Скажи, например, «купить молоко завтра» "
                                         "или «что у меня на сегодня?»"));
}

ApplyResult Assistant::question(Call& call, const QString& text) {
    return ApplyResult{.intent = Intent::captureNew,
                       .transcript = call.text,
                       .confidence = unsureConfidence,
                       .status = RunStatus::partial,
                       .answer = text,
                       .needsClarification = true,
                       .clarificationQuestion = text};
}

QList<TaskItem> Assistant::find(const QString& userId, const QString& words, bool openFirst) {
    QList<TaskItem> best;
    double bestScore = 0;
    for (TaskItem& task : m_tasks.list(userId, std::nullopt, std::nullopt)) {
        double score = WordStem::matchScore(words, task.title);
        if (score > 0 && openFirst && !isClosed(task.status))
            score += 1; // an open task beats a finished one of the same name
        if (score > bestScore) {
            best = {std::move(task)};
            bestScore = score;
        } else if (score > 0 && score == bestScore) {
            best.append(std::move(task));
        }
    }
    return best;
}

ApplyResult Assistant::notFoundOrAmbiguous(Call& call, const QString& words,
                                           const QList<TaskItem>& found) {
    if (found.isEmpty())
        return question(
            call, QStringLiteral("Не нашёл задачу %1. Как она называется?").arg(quoted(words)));
    return question(call,
                    QStringLiteral("Нашёл несколько задач: %1. Какую из них?").arg(titles(found)));
}
