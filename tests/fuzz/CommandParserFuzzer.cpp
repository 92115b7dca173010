// libFuzzer entry for the Russian command parser. The input is the command's line, then the
// user's folder names one per line; a first line "@2025-03-30T02:30:00 Europe/Berlin" sets the
// moment and zone dates are read in (an unknown zone is UTC), else a fixed winter evening in
// Moscow is used.
#include "OndrelCore/planning/RecurrenceRule.h"
#include "OndrelLocalService/assistant/CommandParser.h"

#include <QTimeZone>

#include <cstddef>
#include <cstdint>

namespace {

QDateTime moment(QStringView line) {
    const qsizetype space = line.indexOf(u' ');
    const QDateTime local =
        QDateTime::fromString(line.first(space < 0 ? line.size() : space).toString(), Qt::ISODate);
    const QTimeZone zone(space < 0 ? QByteArray() : line.sliced(space + 1).toLatin1());
    return QDateTime(local.date(), local.time(), zone.isValid() ? zone : QTimeZone::utc());
}

// A parsed command is either complete or says what it lacks, what it dates is a real time, and
// a repetition is a rule the client reads.
bool consistent(const ParsedCommand& command) {
    using Action = ParsedCommand::Action;
    using Gap = ParsedCommand::Gap;
    return (command.action == Action::clarify) == (command.gap != Gap::none) &&
           (!command.due || command.due->isValid()) && (!command.day || command.day->isValid()) &&
           (!command.recurrence || RecurrenceRule::parse(*command.recurrence));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(u'\n');
    QDateTime now(QDate(2025, 1, 15), QTime(21, 30), QTimeZone("Europe/Moscow"));
    if (lines.first().startsWith(u'@')) {
        const QDateTime given = moment(QStringView(lines.takeFirst()).sliced(1));
        if (given.isValid())
            now = given;
        if (lines.isEmpty())
            return 0;
    }
    const QString text = lines.takeFirst();
    if (!consistent(CommandParser::parse(text, now, lines)))
        __builtin_trap();
    return 0;
}
