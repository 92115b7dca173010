#include "OndrelLocalService/state/ServiceStore.h"

#include "OndrelLocalService/services/ServiceError.h"

#include <chrono>
#include <stdexcept>

ServiceStore::ServiceStore(std::optional<StateFile> file, Clock clock)
    : m_file(std::move(file)), m_clock(std::move(clock)) {
    if (!m_file)
        return;
    if (std::optional<ServiceState> loaded = m_file->load())
        m_state = std::move(*loaded);
    else
        m_file->save(m_state); // an unwritable location is reported at start, not on first use
}

Instant ServiceStore::now() const {
    return Instant::fromMSecsSinceEpoch(m_clock().toMSecsSinceEpoch());
}

Instant ServiceStore::stamp() {
    const Instant next = Instant::fromMSecsSinceEpoch(m_state.lastStamp.toMSecsSinceEpoch() + 1);
    m_state.lastStamp = std::max(now(), next);
    return m_state.lastStamp;
}

Instant ServiceStore::serverTime() {
    m_state.lastStamp = std::max(now(), m_state.lastStamp);
    return m_state.lastStamp;
}

void ServiceStore::persist() {
    if (!m_file)
        return;
    try {
        m_file->save(m_state);
    } catch (const std::runtime_error& error) {
        throw ServiceError(500, QStringLiteral("Не удалось сохранить данные: %1")
                                    .arg(QString::fromStdString(error.what())));
    }
}

Folder* ServiceStore::folder(const QString& userId, const QString& id) {
    for (Folder& folder : m_state.folders)
        if (folder.id == id && folder.userId == userId)
            return &folder;
    return nullptr;
}

const Folder* ServiceStore::folder(const QString& userId, const QString& id) const {
    return const_cast<ServiceStore*>(this)->folder(userId, id);
}

TaskItem* ServiceStore::task(const QString& userId, const QString& id) {
    for (TaskItem& task : m_state.tasks)
        if (task.id == id && task.userId == userId)
            return &task;
    return nullptr;
}

Capture* ServiceStore::capture(const QString& userId, const QString& id) {
    for (Capture& capture : m_state.captures)
        if (capture.id == id && capture.userId == userId)
            return &capture;
    return nullptr;
}

ProcessingRun* ServiceStore::run(const QString& id) {
    for (ProcessingRun& run : m_state.runs)
        if (run.id == id)
            return &run;
    return nullptr;
}

const User* ServiceStore::user(const QString& id) const {
    for (const User& user : m_state.users)
        if (user.id == id)
            return &user;
    return nullptr;
}

Folder* ServiceStore::inbox(const QString& userId) {
    for (Folder& folder : m_state.folders)
        if (folder.userId == userId && folder.isSystem && !folder.deleted)
            return &folder;
    return nullptr;
}
