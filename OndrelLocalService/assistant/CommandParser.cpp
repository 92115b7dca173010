#include "OndrelLocalService/assistant/CommandParser.h"

#include "OndrelLocalService/assistant/CommandSentence.h"

using Action = ParsedCommand::Action;
using Gap = ParsedCommand::Gap;

namespace {

using Words = CommandSentence::Words;

const Words createVerbs{u"добавь",  u"добавить",  u"создай", u"создать", u"запиши", u"записать",
                        u"напомни", u"напомнить", u"нужно",  u"надо",    u"заведи", u"завести"};
const Words taskNouns{u"задачу", u"задача", u"заметку", u"заметка", u"дело"};
const Words folderNouns{u"папку", u"папка", u"папке", u"папки"};
const Words completeVerbs{u"выполнил",  u"выполнила", u"выполнено", u"выполнена", u"выполни",
                          u"сделал",    u"сделала",   u"сделано",   u"готово",    u"заверши",
                          u"завершить", u"закрой",    u"закрыть"};
const Words markVerbs{u"отметь", u"отметить", u"пометь", u"пометить", u"сделай", u"сделать"};
const Words doneMarkers{u"выполненной", u"выполненным", u"выполненную", u"выполненная",
                        u"выполнено",   u"сделанной",   u"сделанным",   u"сделанную",
                        u"готовой",     u"готовым"};
const Words deleteVerbs{u"удали", u"удалить", u"убери", u"убрать", u"сотри"};
const Words moveVerbs{u"перенеси", u"перенести", u"передвинь", u"сдвинь", u"отложи"};
const Words queryStarts{u"что", u"какие", u"какая", u"покажи", u"показать", u"список"};
const Words highMarkers{u"важно",  u"важная",  u"важной",  u"важную",  u"важное",
                        u"срочно", u"срочная", u"срочной", u"срочную", u"срочное"};
const Words lowMarkers{u"неважно", u"неважная", u"неважной", u"неважную", u"несрочно"};

QString capitalized(QString text) {
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

ParsedCommand clarify(Gap gap, QString subject = {}) {
    return ParsedCommand{.action = Action::clarify, .gap = gap, .subject = std::move(subject)};
}

// The named task's words are what is left; an empty remainder has to be asked for.
ParsedCommand aboutTask(Action action, CommandSentence& words) {
    words.extractDates();
    words.take(taskNouns);
    const QString subject = words.rest();
    if (subject.isEmpty())
        return clarify(Gap::taskName);
    return ParsedCommand{.action = action, .gap = Gap::none, .subject = subject};
}

ParsedCommand query(CommandSentence& words, const QStringList& folderNames) {
    if (const std::optional<QString> folder = words.takeFolder(folderNouns, folderNames, true))
        return ParsedCommand{.action = Action::queryFolder, .gap = Gap::none, .folderName = folder};
    words.extractDates();
    if (const std::optional<QDate> day = words.day())
        return ParsedCommand{.action = Action::queryDay, .gap = Gap::none, .day = day};
    return ParsedCommand{.action = Action::queryOpen, .gap = Gap::none};
}

ParsedCommand createFolder(CommandSentence& words) {
    words.skipLeading(createVerbs);
    words.skipLeading({u"новая", u"новую"});
    words.skipLeading(folderNouns);
    QString name = words.rest();
    if (name.isEmpty())
        return clarify(Gap::folderName);
    return ParsedCommand{.action = Action::createFolder, .gap = Gap::none, .subject = name};
}

ParsedCommand reschedule(CommandSentence& words) {
    words.use(0);
    words.extractDates();
    words.take(taskNouns);
    const std::optional<QDateTime> due = words.due();
    const QString subject = words.rest();
    if (subject.isEmpty())
        return clarify(Gap::taskName);
    if (!due)
        return clarify(Gap::date, subject);
    return ParsedCommand{
        .action = Action::rescheduleTask, .gap = Gap::none, .subject = subject, .due = due};
}

std::optional<Priority> takePriority(CommandSentence& words) {
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words.is(i, lowMarkers)) {
            words.use(i);
            return Priority::low;
        }
        if (words.is(i, highMarkers)) {
            words.use(i);
            if (words.is(i - 1, {u"не"})) {
                words.use(i - 1);
                return Priority::low;
            }
            return Priority::high;
        }
    }
    return std::nullopt;
}

// A new task: what is left after the verbs, the folder, the dates and the priority.
ParsedCommand createOrRaise(CommandSentence& words, const QStringList& folderNames) {
    const bool explicitVerb = words.is(0, createVerbs);
    const bool markVerb = words.is(0, markVerbs);
    words.skipLeading(createVerbs);
    words.skipLeading(markVerbs);
    words.skipLeading({u"мне"});
    words.skipLeading(taskNouns);
    const std::optional<QString> folder = words.takeFolder(folderNouns, folderNames, false);
    words.extractDates();
    const std::optional<Priority> priority = takePriority(words);
    words.take({u"как"});
    const QString subject = capitalized(words.rest());
    if (subject.isEmpty())
        return clarify(Gap::taskName);
    ParsedCommand command{.action = Action::createTask,
                          .gap = Gap::none,
                          .subject = subject,
                          .folderName = folder,
                          .due = words.due(),
                          .priority = priority};
    if (priority && !explicitVerb) {
        command.action = Action::setPriority;
        command.createIfMissing = !markVerb;
    }
    return command;
}

} // namespace

ParsedCommand CommandParser::parse(const QString& text, const QDateTime& now,
                                   const QStringList& folderNames) {
    CommandSentence words(text, now);
    if (words.isEmpty())
        return clarify(Gap::command);
    if (words.is(0, queryStarts))
        return query(words, folderNames);
    if (text.trimmed().endsWith(u'?'))
        return clarify(Gap::command); // a question this parser has no answer for
    if ((words.is(0, createVerbs) || words.is(0, {u"новая", u"новую"})) && words.is(1, folderNouns))
        return createFolder(words);
    if (words.is(0, completeVerbs)) {
        words.use(0);
        return aboutTask(Action::completeTask, words);
    }
    if (words.is(0, markVerbs) && words.take(doneMarkers)) {
        words.use(0);
        words.take({u"как"});
        return aboutTask(Action::completeTask, words);
    }
    if (words.is(0, deleteVerbs)) {
        words.use(0);
        return aboutTask(Action::deleteTask, words);
    }
    if (words.is(0, moveVerbs))
        return reschedule(words);
    return createOrRaise(words, folderNames);
}
