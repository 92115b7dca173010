#pragma once

#include <QList>
#include <QString>

#include <optional>

// One entry of a task's checklist.
struct ChecklistItem {
    QString id{};
    QString title{};
    bool done = false;

    friend bool operator==(const ChecklistItem&, const ChecklistItem&) = default;
};

Q_DECLARE_TYPEINFO(ChecklistItem, Q_RELOCATABLE_TYPE);
