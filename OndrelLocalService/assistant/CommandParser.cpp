#include "OndrelLocalService/assistant/CommandParser.h"

#include "OndrelLocalService/assistant/CommandSentence.h"
#include "OndrelLocalService/assistant/WhenWords.h"

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
const Words moveVerbs{u"перенеси", u"перенести", u"передвинь", u"сдвинь",
                      u"отложи",   u"перемести", u"переложи"};
const Words queryStarts{u"что", u"какие", u"какая", u"покажи", u"показать", u"список"};
// "задачу про врача": the words that lead to a task's own words.
const Words aboutWords{u"про", u"о", u"об", u"обо", u"насчет"};

QString capitalized(QString text) {
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

ParsedCommand clarify(Gap gap, QString subject = {}) {
    return ParsedCommand{.action = Action::clarify, .gap = gap, .subject = std::move(subject)};
}

// The named task's words are what is left; an empty remainder has to be asked for.
ParsedCommand aboutTask(Action action, CommandSentence& words, const QDateTime& now) {
    WhenWords(words, now).extract();
    words.take(taskNouns);
    words.skipLeading(aboutWords);
    const QString subject = words.rest();
    if (subject.isEmpty())
        return clarify(Gap::taskName);
    return ParsedCommand{.action = action, .gap = Gap::none, .subject = subject};
}

ParsedCommand query(CommandSentence& words, const QDateTime& now, const QStringList& folders) {
    std::optional<QString> folder = words.takeFolder(folderNouns, folders, true);
    WhenWords when(words, now);
    if (!folder)
        when.extract();
    if (const std::optional<QDate> day = when.day(); day && !folder)
        return ParsedCommand{.action = Action::queryDay, .gap = Gap::none, .day = day};
    if (!folder)
        folder = words.takeKnownFolder(folders, true);
    if (folder)
        return ParsedCommand{.action = Action::queryFolder, .gap = Gap::none, .folderName = folder};
    return ParsedCommand{.action = Action::queryOpen, .gap = Gap::none};
}

ParsedCommand createFolder(CommandSentence& words) {
    words.skipLeading(createVerbs);
    words.skipLeading({u"новая", u"новую"});
    words.skipLeading(folderNouns);
    const QString name = words.plainRest();
    if (name.isEmpty())
        return clarify(Gap::folderName);
    return ParsedCommand{.action = Action::createFolder, .gap = Gap::none, .subject = name};
}

// "перенеси отчёт на пятницу", "перенеси отчёт в папку Работа": a new due time, a new folder
// or both.
ParsedCommand move(CommandSentence& words, const QDateTime& now, const QStringList& folders) {
    words.use(0);
    std::optional<QString> folder = words.takeFolder(folderNouns, folders, false);
    WhenWords when(words, now);
    when.extract();
    if (!folder)
        folder = words.takeKnownFolder(folders);
    words.take(taskNouns);
    words.skipLeading(aboutWords);
    const std::optional<QDateTime> due = when.due();
    const QString subject = words.rest();
    if (subject.isEmpty())
        return clarify(Gap::taskName);
    if (!due && !folder)
        return clarify(Gap::date, subject);
    return ParsedCommand{.action = Action::rescheduleTask,
                         .gap = Gap::none,
                         .subject = subject,
                         .folderName = folder,
                         .due = due};
}

// важно, срочно and their forms, "не срочно", "с высоким приоритетом". Gives where the marker
// stood.
std::optional<Priority> takePriority(CommandSentence& words, qsizetype& at) {
    for (qsizetype i = 0; i < words.size(); ++i) {
        at = i;
        if (words.hasStem(i, {u"неважн", u"несрочн"})) {
            words.use(i);
            return Priority::low;
        }
        if (words.hasStem(i, {u"приоритет"}) && words.hasStem(i - 1, {u"высок", u"низк"})) {
            const bool high = words.stem(i - 1) == u"высок";
            words.use(i - 1, i);
            if (words.is(i - 2, {u"с"}))
                words.use(i - 2);
            return high ? Priority::high : Priority::low;
        }
        if (!words.hasStem(i, {u"важн", u"срочн"}))
            continue;
        words.use(i);
        if (words.is(i - 1, {u"очень"}))
            words.use(i - 1);
        if (words.is(i - 1, {u"не"})) {
            words.use(i - 1);
            return Priority::low;
        }
        return Priority::high;
    }
    return std::nullopt;
}

// A new task: what is left after the verbs, the folder, the dates and the priority.
ParsedCommand createOrRaise(CommandSentence& words, const QDateTime& now,
                            const QStringList& folders, std::optional<QString> folder = {}) {
    const bool explicitVerb = words.is(0, createVerbs);
    const bool markVerb = words.is(0, markVerbs);
    words.skipLeading(createVerbs);
    words.skipLeading(markVerbs);
    words.skipLeading({u"мне"});
    words.skipLeading(taskNouns);
    if (!folder)
        folder = words.takeFolder(folderNouns, folders, false);
    WhenWords when(words, now);
    when.extract();
    qsizetype marker = -1;
    const std::optional<Priority> priority = takePriority(words, marker);
    if (!folder)
        folder = words.takeKnownFolder(folders);
    if (markVerb)
        words.take({u"как"});
    const QString subject = capitalized(words.rest());
    if (subject.isEmpty())
        return clarify(Gap::taskName);
    ParsedCommand command{.action = Action::createTask,
                          .gap = Gap::none,
                          .subject = subject,
                          .folderName = folder,
                          .due = when.due(),
                          .recurrence = when.recurrence(),
                          .priority = priority};
    // "отчёт важно" raises a task; "срочно ответить бухгалтеру" is a new one.
    if (priority && !explicitVerb && marker > words.firstFree()) {
        command.action = Action::setPriority;
        command.createIfMissing = !markVerb;
    }
    return command;
}

// "создай папку Спорт и добавь туда пробежку"
std::optional<ParsedCommand> folderWithTask(CommandSentence& words, const QDateTime& now,
                                            const QStringList& folders) {
    qsizetype join = 2;
    while (join < words.size() && !(words.is(join, {u"и"}) && words.is(join + 1, createVerbs)))
        ++join;
    if (join >= words.size() || join == 2)
        return std::nullopt;
    CommandSentence folderWords = words;
    for (qsizetype k = join; k < words.size(); ++k)
        folderWords.use(k);
    folderWords.use(0, 1);
    const QString folder = folderWords.plainRest();
    words.use(0, join);
    words.skipLeading(createVerbs);
    words.skipLeading({u"туда", u"в", u"нее", u"ее", u"же"});
    ParsedCommand command = createOrRaise(words, now, folders, folder);
    if (command.action == Action::clarify)
        return command;
    command.action = Action::createTask;
    command.newFolder = true;
    return command;
}

} // namespace

ParsedCommand CommandParser::parse(const QString& text, const QDateTime& now,
                                   const QStringList& folderNames) {
    CommandSentence words(text);
    if (words.isEmpty())
        return clarify(Gap::command);
    if (words.is(0, queryStarts))
        return query(words, now, folderNames);
    if (text.trimmed().endsWith(u'?'))
        return clarify(Gap::command); // a question this parser has no answer for
    if ((words.is(0, createVerbs) || words.is(0, {u"новая", u"новую"})) &&
        words.is(1, folderNouns)) {
        if (std::optional<ParsedCommand> both = folderWithTask(words, now, folderNames))
            return *both;
        return createFolder(words);
    }
    if (words.is(0, completeVerbs)) {
        words.use(0);
        return aboutTask(Action::completeTask, words, now);
    }
    if (words.is(0, markVerbs) && words.take(doneMarkers)) {
        words.use(0);
        words.take({u"как"});
        return aboutTask(Action::completeTask, words, now);
    }
    if (words.is(0, deleteVerbs)) {
        words.use(0);
        return aboutTask(Action::deleteTask, words, now);
    }
    if (words.is(0, moveVerbs))
        return move(words, now, folderNames);
    return createOrRaise(words, now, folderNames);
}
