#include "OndrelLocalService/services/CaptureService.h"

#include "OndrelLocalService/services/AudioProbe.h"
#include "OndrelLocalService/services/ServiceError.h"
#include "OndrelLocalService/services/TextLimits.h"
#include "OndrelLocalService/state/Identifiers.h"

namespace {
constexpr auto modelName = "ondrel-local-parser";

QByteArray decodeAudio(const std::optional<QString>& base64) {
    if (!base64 || base64->isEmpty())
        throw ServiceError(400, QStringLiteral("audioBase64: запись отсутствует"));
    const auto decoded = QByteArray::fromBase64Encoding(
        base64->toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    // toLatin1 turns any non-Latin-1 character into '?', which the strict decoder rejects.
    if (!decoded || decoded.decoded.isEmpty())
        throw ServiceError(400, QStringLiteral("audioBase64: это не корректный Base64"));
    return decoded.decoded;
}
} // namespace

QString CaptureService::noteTitle(qint64 durationMs) {
    const qint64 seconds = (std::max<qint64>(durationMs, 0) + 500) / 1000;
    return QStringLiteral("Голосовая заметка (%1:%2)")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

CaptureProcessResponse CaptureService::create(const QString& userId, const CaptureBody& body) {
    const QByteArray audio = decodeAudio(body.audioBase64);
    const std::optional<AudioProbe::Audio> probed = AudioProbe::aac(audio);
    if (!probed)
        throw ServiceError(400, QStringLiteral("audioBase64: это не аудиозапись в формате AAC"));
    const qint64 durationMs = probed->durationMs.value_or(body.durationMs.value_or(0));
    return m_store.change([&] {
        const Instant now = m_store.stamp();
        const std::optional<Folder> inbox = m_store.inbox(userId);
        const TaskItem note = m_tasks.insert(
            userId, TaskItem{.folderId = inbox ? std::optional(inbox->id) : std::nullopt,
                             .type = TaskType::note,
                             .title = noteTitle(durationMs),
                             .status = TaskStatus::inbox,
                             .source = SourceKind::voice});
        Capture capture{.id = Identifiers::recordId(),
                        .userId = userId,
                        .durationMs = durationMs,
                        .status = CaptureStatus::processed,
                        .createdAt = now};
        const ProcessingRun run{.id = Identifiers::recordId(),
                                .captureId = capture.id,
                                .attemptNo = 1,
                                .inputType = RunInput::audio,
                                .intent = Intent::captureNew,
                                .model = QString::fromLatin1(modelName),
                                .status = RunStatus::success,
                                .resultingTaskId = note.id,
                                .createdAt = now};
        capture.latestRunId = run.id;
        m_store.put(capture);
        m_store.put(run);
        ApplyResult result{
            .intent = Intent::captureNew,
            .confidence = 1,
            .status = RunStatus::success,
            .answer = QStringLiteral("Запись сохранена во «Входящих» как «%1»; этот локальный "
                                     "сервис не распознаёт речь.")
                          .arg(note.title),
            .actions = {{QStringLiteral("CREATE_TASK"), note.id}},
            .tasks = {note}};
        return CaptureProcessResponse{.capture = capture, .run = run, .result = result};
    });
}

QList<Capture> CaptureService::list(const QString& userId) const {
    return m_store.captures(userId);
}

CaptureWithRuns CaptureService::get(const QString& userId, const QString& id) {
    const std::optional<Capture> capture = m_store.capture(userId, id);
    if (!capture)
        throw ServiceError(404, QStringLiteral("Запись не найдена: %1").arg(id));
    return CaptureWithRuns{.capture = *capture, .runs = m_store.runsOf(id)};
}

ReprocessResponse CaptureService::reprocess(const QString& userId, const QString& id,
                                            const std::optional<QString>& editedText) {
    if (!m_store.capture(userId, id))
        throw ServiceError(404, QStringLiteral("Запись не найдена: %1").arg(id));
    if (!editedText || editedText->trimmed().isEmpty())
        throw ServiceError(400, QStringLiteral("editedText: нужен текст — этот локальный сервис "
                                               "не распознаёт речь"));
    TextLimits::check(QStringLiteral("editedText"), editedText, TextLimits::command);
    // The parser's own change and the new run are saved together.
    return m_store.change([&] {
        const ApplyResult result = m_assistant.apply(userId, *editedText, SourceKind::text);
        Capture capture = *m_store.capture(userId, id);
        const Instant now = m_store.stamp();
        ProcessingRun run{.id = Identifiers::recordId(),
                          .captureId = id,
                          .attemptNo = m_store.runsOf(id).size() + 1,
                          .inputType = RunInput::editedText,
                          .intent = result.intent,
                          .model = QString::fromLatin1(modelName),
                          .editedTranscript = editedText->trimmed(),
                          .confidence = result.confidence,
                          .status = result.status,
                          .createdAt = now};
        for (const AssistantAction& action : result.actions)
            if (action.taskId && !run.resultingTaskId)
                run.resultingTaskId = action.taskId;
        if (capture.latestRunId) {
            if (std::optional<ProcessingRun> previous = m_store.run(*capture.latestRunId)) {
                previous->supersededById = run.id;
                m_store.put(*previous);
            }
        }
        capture.latestRunId = run.id;
        capture.status = CaptureStatus::processed;
        m_store.put(capture);
        m_store.put(run);
        return ReprocessResponse{.run = run, .result = result};
    });
}
