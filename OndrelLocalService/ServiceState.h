#pragma once

#include "OndrelCore/Capture.h"
#include "OndrelCore/Folder.h"
#include "OndrelCore/ProcessingRun.h"
#include "OndrelCore/TaskItem.h"
#include "OndrelCore/User.h"
#include "OndrelLocalService/TokenGrant.h"

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
