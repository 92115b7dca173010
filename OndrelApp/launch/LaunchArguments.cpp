#include "OndrelApp/launch/LaunchArguments.h"

#include <QCommandLineParser>
#include <QUrl>

#include <stdexcept>

namespace {

const QString recordOption = QStringLiteral("record");
const QString writeOption = QStringLiteral("write");

QString optionLine(const QString& name) {
    return QStringLiteral("--") + name;
}

} // namespace

LaunchArguments LaunchArguments::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Ondrel, a task list driven by speech. A second start hands its URL or "
                       "action to the window already open."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions(
        {{recordOption, QStringLiteral("Start or stop a voice recording, with the window up.")},
         {writeOption, QStringLiteral("Bring the window up with the input line focused.")},
         {QStringLiteral("dbus-activated"),
          QStringLiteral("Started by the session bus; the request arrives as a bus call.")},
         {QStringLiteral("hidden"), QStringLiteral("Start in the tray, without the window.")}});
    parser.addPositionalArgument(QStringLiteral("url"),
                                 QStringLiteral("An ondrel: link to open, such as the sign-in "
                                                "callback."),
                                 QStringLiteral("[url]"));
    // Not process(): its error lines quote what they did not understand.
    if (!parser.parse(arguments))
        throw std::invalid_argument("unknown option or missing value; see ondrel --help");
    if (parser.isSet(help))
        parser.showHelp();
    if (parser.isSet(version))
        parser.showVersion();

    LaunchArguments launch;
    launch.dbusActivated = parser.isSet(QStringLiteral("dbus-activated"));
    const bool record = parser.isSet(recordOption);
    const bool write = parser.isSet(writeOption);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() + int(record) + int(write) > 1)
        throw std::invalid_argument("expected one URL, --record or --write, got more");
    launch.action = record ? Action::record : write ? Action::write : Action::none;
    launch.hidden = parser.isSet(QStringLiteral("hidden"));
    if (positional.isEmpty())
        return launch;
    const QUrl url(positional.first());
    if (!url.isValid() || url.scheme().isEmpty())
        throw std::invalid_argument("the argument is not a URL");
    launch.url = url.toString(QUrl::FullyEncoded);
    return launch;
}

QString LaunchArguments::message() const {
    switch (action) {
    case Action::record:
        return optionLine(recordOption);
    case Action::write:
        return optionLine(writeOption);
    case Action::none:
        break;
    }
    return url;
}

LaunchArguments LaunchArguments::fromMessage(const QString& message) {
    LaunchArguments launch;
    if (message == optionLine(recordOption))
        launch.action = Action::record;
    else if (message == optionLine(writeOption))
        launch.action = Action::write;
    else
        launch.url = message;
    return launch;
}
