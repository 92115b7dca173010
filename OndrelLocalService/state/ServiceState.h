#pragma once

#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/ProcessingRun.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelCore/wire/User.h"
#include "OndrelLocalService/state/TokenGrant.h"

#include <QList>

// The whole state as the JSON data file of earlier versions held it, imported once into the
// database. Deleted folders and tasks are tombstones that sync reports.
struct ServiceState {
    qint64 version = 1;
    QList<User> users;
    QList<Folder> folders;
    QList<TaskItem> tasks;
    QList<Capture> captures;
    QList<ProcessingRun> runs;
    QList<TokenGrant> accessTokens;
    QList<TokenGrant> refreshTokens;
    // The latest change stamp handed out; every later change gets a strictly later one.
    Instant lastStamp;

    friend bool operator==(const ServiceState&, const ServiceState&) = default;
};
