#pragma once

#include "OndrelCore/bodies/CaptureBody.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/CaptureWithRuns.h"
#include "OndrelCore/wire/ReprocessResponse.h"
#include "OndrelLocalService/assistant/Assistant.h"

// Voice captures. This service has no speech recognition: a recording is checked to be AAC
// audio, measured, and filed as a voice note in the inbox. Reprocessing with edited text runs
// the command parser on that text as a new run that supersedes the previous one.
class CaptureService {
public:
    CaptureService(ServiceStore& store, TaskService& tasks, Assistant& assistant)
        : m_store(store), m_tasks(tasks), m_assistant(assistant) {}

    CaptureProcessResponse create(const QString& userId, const CaptureBody& body);
    // Newest first.
    QList<Capture> list(const QString& userId) const;
    CaptureWithRuns get(const QString& userId, const QString& id);
    ReprocessResponse reprocess(const QString& userId, const QString& id,
                                const std::optional<QString>& editedText);

    // "Голосовая заметка (0:07)".
    static QString noteTitle(qint64 durationMs);

private:
    ServiceStore& m_store;
    TaskService& m_tasks;
    Assistant& m_assistant;
};
