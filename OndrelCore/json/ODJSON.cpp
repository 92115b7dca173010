#include "OndrelCore/json/ODJSON.h"

#include "OndrelCore/json/JSONCodec.h"
#include "OndrelCore/json/RecordDescriptions.h"

const JSONDecoder& ODJSON::decoder() {
    static const JSONDecoder instance;
    return instance;
}

const JSONEncoder& ODJSON::encoder() {
    static const JSONEncoder instance;
    return instance;
}

#define ONDREL_JSON_TYPE(...)                                                                      \
    template __VA_ARGS__ JSONDecoder::decode<__VA_ARGS__>(QByteArrayView) const;                   \
    template QByteArray JSONEncoder::encode<__VA_ARGS__>(const __VA_ARGS__&) const;

ONDREL_JSON_TYPE(ChecklistItem)
ONDREL_JSON_TYPE(Folder)
ONDREL_JSON_TYPE(TaskItem)
ONDREL_JSON_TYPE(Capture)
ONDREL_JSON_TYPE(ProcessingRun)
ONDREL_JSON_TYPE(User)
ONDREL_JSON_TYPE(AuthResponse)
ONDREL_JSON_TYPE(SyncPullResponse)
ONDREL_JSON_TYPE(SyncPushResponse)
ONDREL_JSON_TYPE(AssistantAction)
ONDREL_JSON_TYPE(ApplyResult)
ONDREL_JSON_TYPE(CaptureProcessResponse)
ONDREL_JSON_TYPE(ReprocessResponse)
ONDREL_JSON_TYPE(CaptureWithRuns)
ONDREL_JSON_TYPE(QList<Folder>)
ONDREL_JSON_TYPE(QList<TaskItem>)
ONDREL_JSON_TYPE(QList<Capture>)
ONDREL_JSON_TYPE(YandexLoginBody)
ONDREL_JSON_TYPE(RefreshBody)
ONDREL_JSON_TYPE(FolderCreateBody)
ONDREL_JSON_TYPE(TaskCreateBody)
ONDREL_JSON_TYPE(TaskPatchBody)
ONDREL_JSON_TYPE(CaptureBody)
ONDREL_JSON_TYPE(ReprocessBody)
ONDREL_JSON_TYPE(AssistantBody)
ONDREL_JSON_TYPE(SyncTaskInput)
ONDREL_JSON_TYPE(SyncPushBody)
