#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// One local change waiting for the service, in the order made. `target` is the task or folder
// it acts on (empty for captures); `payload` is what the request needs besides it: the patch
// folder or new task's body as JSON, the folder deletion's action ("delete", or "move" and the
// target folder after a newline), the typed text, or a recording's media type.
struct PendingChange {
    enum class Kind {
        completeTask,
        reopenTask,
        patchTask,
        deleteTask,
        createFolder,
        deleteFolder,
        askText,
        capture,
        createTask // kinds are stored by number: new ones go last
    };

    qint64 seq = 0; // given by the queue; later changes have larger numbers
    Kind kind = Kind::askText;
    QString target{};
    QByteArray payload{};
    std::optional<QString> file{}; // a recording, kept beside the queue until it is accepted
    QString key{};                 // unique per change, the same on every resend

    friend bool operator==(const PendingChange&, const PendingChange&) = default;
};
