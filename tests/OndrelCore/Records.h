#pragma once

#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/replica/PendingCapture.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>
#include <stdexcept>
#include <string>

// Short builders for test records: only what a test cares about is named.
inline Instant at(const char* iso) {
    return *Instant::fromISO8601(iso);
}

inline Instant day(int dayOfJanuary) {
    return Instant::fromMSecsSinceEpoch(1704067200000LL + qint64(dayOfJanuary - 1) * 86400000LL);
}

// A record of user u1 whose every stamp is `createdAt`.
template <class Record>
Record stamped(Record record, Instant createdAt) {
    record.userId = QStringLiteral("u1");
    record.createdAt = record.updatedAt = record.serverUpdatedAt = createdAt;
    return record;
}

inline TaskItem makeTask(const char* id, std::optional<QString> folderId = std::nullopt,
                         Instant createdAt = day(1),
                         std::optional<Instant> dueDate = std::nullopt) {
    TaskItem task;
    task.id = QString::fromUtf8(id);
    task.folderId = std::move(folderId);
    task.title = QStringLiteral("Задача ") + task.id;
    task.dueDate = dueDate;
    return stamped(std::move(task), createdAt);
}

inline Folder makeFolder(const char* id, qint64 sortOrder = 0, Instant createdAt = day(1)) {
    Folder folder;
    folder.id = QString::fromUtf8(id);
    folder.name = QStringLiteral("Папка ") + folder.id;
    folder.sortOrder = sortOrder;
    return stamped(std::move(folder), createdAt);
}

// A capture waiting in the outbox; its audio is "AAAA" followed by its id.
inline PendingCapture pendingCapture(const char* id, std::optional<qint64> durationMs = 1200) {
    return PendingCapture{.id = QString::fromUtf8(id),
                          .audioBase64 = QStringLiteral("AAAA") + QString::fromUtf8(id),
                          .mimeType = QStringLiteral("audio/m4a"),
                          .durationMs = durationMs,
                          .createdAt = day(1)};
}

// The service's answer to an accepted capture.
inline CaptureProcessResponse acceptedCapture(const char* captureId) {
    CaptureProcessResponse response;
    response.capture.id = QString::fromUtf8(captureId);
    response.capture.userId = QStringLiteral("u1");
    response.capture.durationMs = 1200;
    response.capture.status = CaptureStatus::processed;
    response.capture.createdAt = day(2);
    return response;
}

inline QByteArray json(const auto& record) {
    return ODJSON::encoder().encode(record);
}

inline QStringList idsOf(const auto& records) {
    QStringList ids;
    for (const auto& record : records) {
        if constexpr (std::is_pointer_v<std::decay_t<decltype(record)>>)
            ids.append(record->id); // a store's listing
        else
            ids.append(record.id);
    }
    return ids;
}

// Hand-written service answers in tests/OndrelCore/json/fixtures.
inline QByteArray fixture(const char* name) {
    QFile file(QStringLiteral(ONDREL_FIXTURES "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string("missing fixture ") + name);
    return file.readAll();
}
