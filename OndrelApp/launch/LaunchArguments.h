#pragma once

#include <QString>
#include <QStringList>

// The command line of `ondrel`: at most one URL, the one the desktop opens with it, and
// `--hidden`.
struct LaunchArguments {
    QString url;         // fully percent-encoded, so free of control characters; empty when none
    bool hidden = false; // start in the tray without showing the window (start at login)

    // Throws std::invalid_argument with a message for the user; `--help` and `--version` print
    // and exit, as QCommandLineParser does.
    static LaunchArguments parse(const QStringList& arguments);
};
