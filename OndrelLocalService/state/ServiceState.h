#pragma once

#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/ProcessingRun.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelCore/wire/User.h"
#include "OndrelLocalService/state/TokenGrant.h"

#include <QList>

// Everything the service knows; the data file holds exactly this. Deleted folders and tasks
// stay as tombstones so that sync can report them.
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
