#pragma once

#include <QList>
#include <QString>

#include <utility>

// One desktop notification as Ondrel means it; `key` names it for replacing and withdrawing.
struct Notice {
    QString key;
    QString title;
    QString body;
    // (action id, label) pairs in the order shown; "default" is a click on the notification.
    QList<std::pair<QString, QString>> actions;
};
