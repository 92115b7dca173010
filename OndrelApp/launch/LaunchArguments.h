#pragma once

#include <QString>
#include <QStringList>

// The command line of `ondrel`: at most one URL, the one the desktop opens with it, or one
// capture action; and `--hidden`. The same request travels to the running instance as one line
// of text.
struct LaunchArguments {
    enum class Action { none, record, write };

    QString url; // fully percent-encoded, so free of control characters; empty when none
    Action action = Action::none;
    // Started by the session bus, which delivers the request as a call once the name is taken.
    bool dbusActivated = false;
    bool hidden = false; // start in the tray without showing the window (start at login)

    // Throws std::invalid_argument with a message for the user, which never repeats an
    // argument (it may be a link with tokens); `--help` and `--version` print and exit.
    static LaunchArguments parse(const QStringList& arguments);

    // The line handed to the running instance: the URL, an action's option, or nothing. A URL
    // starts with its scheme, so it never reads as an option.
    QString message() const;
    static LaunchArguments fromMessage(const QString& message);
};
