#include "OndrelApp/launch/LaunchArguments.h"

#include <QCommandLineParser>
#include <QUrl>

#include <stdexcept>

LaunchArguments LaunchArguments::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Ondrel, a task list driven by speech. A second start hands its URL to "
                       "the window already open."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption hidden(QStringLiteral("hidden"),
                                    QStringLiteral("Start in the tray, without the window."));
    parser.addOption(hidden);
    parser.addPositionalArgument(QStringLiteral("url"),
                                 QStringLiteral("An ondrel: link to open, such as the sign-in "
                                                "callback."),
                                 QStringLiteral("[url]"));
    parser.process(arguments);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        throw std::invalid_argument("expected at most one URL, got " +
                                    std::to_string(positional.size()) + " arguments");
    LaunchArguments launch;
    launch.hidden = parser.isSet(hidden);
    if (positional.isEmpty())
        return launch;
    const QUrl url(positional.first());
    if (!url.isValid() || url.scheme().isEmpty())
        throw std::invalid_argument("not a URL: " + positional.first().toStdString());
    launch.url = url.toString(QUrl::FullyEncoded);
    return launch;
}
