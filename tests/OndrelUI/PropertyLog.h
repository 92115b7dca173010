#pragma once

#include "OndrelUI/viewmodels/AppViewModel.h"

#include <QObject>
#include <QStringList>

#include <functional>

// Records every change announcement of an AppViewModel, in order, with the value the field had
// when it was announced ("isBusy=true", "errorText=∅"), so tests can check both what changed
// and in which order.
class PropertyLog {
public:
    explicit PropertyLog(AppViewModel* vm) {
        const auto text = [](const std::optional<QString>& value) {
            return value ? *value : QStringLiteral("∅");
        };
        watch(vm, &AppViewModel::foldersChanged,
              [vm] { return QStringLiteral("folders=%1").arg(vm->folders().size()); });
        watch(vm, &AppViewModel::selectedFolderIdChanged,
              [vm, text] { return QStringLiteral("selected=") + text(vm->selectedFolderId()); });
        watch(vm, &AppViewModel::tasksChanged,
              [vm] { return QStringLiteral("tasks=%1").arg(vm->tasks().size()); });
        watch(vm, &AppViewModel::assistantAnswerChanged,
              [vm, text] { return QStringLiteral("answer=") + text(vm->assistantAnswer()); });
        watch(vm, &AppViewModel::errorTextChanged,
              [vm, text] { return QStringLiteral("error=") + text(vm->errorText()); });
        watch(vm, &AppViewModel::isBusyChanged, [vm] {
            return vm->isBusy() ? QStringLiteral("busy=true") : QStringLiteral("busy=false");
        });
        watch(vm, &AppViewModel::statusTextChanged,
              [vm, text] { return QStringLiteral("status=") + text(vm->statusText()); });
    }

    QStringList entries;

private:
    template <class Signal>
    void watch(AppViewModel* vm, Signal signal, std::function<QString()> describe) {
        QObject::connect(vm, signal, &m_context, [this, describe] { entries << describe(); });
    }

    QObject m_context;
};
