#pragma once

// Member descriptions of every wire record and request body, in declaration order. The generic
// codec walks them; JSON keys are the member names. Include only where the codec is instantiated.

#include "OndrelCore/bodies/AssistantBody.h"
#include "OndrelCore/bodies/CaptureBody.h"
#include "OndrelCore/bodies/FolderCreateBody.h"
#include "OndrelCore/bodies/RefreshBody.h"
#include "OndrelCore/bodies/ReprocessBody.h"
#include "OndrelCore/bodies/SyncPushBody.h"
#include "OndrelCore/bodies/SyncTaskInput.h"
#include "OndrelCore/bodies/TaskCreateBody.h"
#include "OndrelCore/bodies/TaskPatchBody.h"
#include "OndrelCore/bodies/YandexLoginBody.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/AssistantAction.h"
#include "OndrelCore/wire/AuthResponse.h"
#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/CaptureWithRuns.h"
#include "OndrelCore/wire/ChecklistItem.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/ProcessingRun.h"
#include "OndrelCore/wire/ReprocessResponse.h"
#include "OndrelCore/wire/SyncPullResponse.h"
#include "OndrelCore/wire/SyncPushResponse.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelCore/wire/User.h"

#include <boost/describe/class.hpp>

BOOST_DESCRIBE_STRUCT(ChecklistItem, (), (id, title, done))
BOOST_DESCRIBE_STRUCT(Folder, (),
                      (id, userId, name, description, emoji, color, sortOrder, isSystem, deleted,
                       createdAt, updatedAt, serverUpdatedAt))
BOOST_DESCRIBE_STRUCT(TaskItem, (),
                      (id, userId, folderId, type, title, body, transcript, status, priority,
                       dueDate, hasDeadline, reminderAt, reminderLead, recurrence, tags, checklist,
                       confidence, needsClarification, clarificationQuestion, source, createdAt,
                       updatedAt, completedAt, deleted, serverUpdatedAt))
BOOST_DESCRIBE_STRUCT(Capture, (),
                      (id, userId, deviceId, audioUrl, durationMs, status, latestRunId,
                       retentionUntil, createdAt))
BOOST_DESCRIBE_STRUCT(ProcessingRun, (),
                      (id, captureId, attemptNo, inputType, intent, model, rawTranscript,
                       editedTranscript, confidence, status, error, resultingTaskId, supersededById,
                       createdAt))
BOOST_DESCRIBE_STRUCT(User, (), (id, email, displayName, timezone, locale))
BOOST_DESCRIBE_STRUCT(AuthResponse, (),
                      (user, created, accessToken, refreshToken, accessExpiresAt, refreshExpiresAt))
BOOST_DESCRIBE_STRUCT(SyncPullResponse, (), (folders, tasks, serverTime))
BOOST_DESCRIBE_STRUCT(SyncPushResponse, (),
                      (appliedFolderIds, appliedTaskIds, conflictFolders, conflictTasks,
                       serverTime))
BOOST_DESCRIBE_STRUCT(AssistantAction, (), (type, taskId))
BOOST_DESCRIBE_STRUCT(ApplyResult, (),
                      (intent, transcript, confidence, status, answer, actions, needsClarification,
                       clarificationQuestion, tasks, queryResults))
BOOST_DESCRIBE_STRUCT(CaptureProcessResponse, (), (capture, run, result))
BOOST_DESCRIBE_STRUCT(ReprocessResponse, (), (run, result))
BOOST_DESCRIBE_STRUCT(CaptureWithRuns, (), (capture, runs))

BOOST_DESCRIBE_STRUCT(YandexLoginBody, (), (accessToken))
BOOST_DESCRIBE_STRUCT(RefreshBody, (), (refreshToken))
BOOST_DESCRIBE_STRUCT(FolderCreateBody, (), (name, description))
BOOST_DESCRIBE_STRUCT(TaskCreateBody, (),
                      (title, folderId, type, priority, body, dueDate, hasDeadline, recurrence))
BOOST_DESCRIBE_STRUCT(TaskPatchBody, (),
                      (title, status, priority, folderId, body, dueDate, hasDeadline))
BOOST_DESCRIBE_STRUCT(CaptureBody, (), (audioBase64, mimeType, durationMs))
BOOST_DESCRIBE_STRUCT(ReprocessBody, (), (editedText))
BOOST_DESCRIBE_STRUCT(AssistantBody, (), (text))
BOOST_DESCRIBE_STRUCT(SyncTaskInput, (), (id, title, folderId, status, deleted, updatedAt))
BOOST_DESCRIBE_STRUCT(SyncPushBody, (), (tasks))
