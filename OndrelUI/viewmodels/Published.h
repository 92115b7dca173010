#pragma once

#include <QObject>

#include <utility>

// Stores `value` in `field` and emits `changed` of `owner`, only when the value differs: a
// property's setter that notifies once per real change.
template <class Owner, class Field, class Value>
void publish(Owner* owner, Field& field, Value&& value, void (Owner::*changed)()) {
    if (field == value)
        return;
    field = std::forward<Value>(value);
    Q_EMIT(owner->*changed)();
}
