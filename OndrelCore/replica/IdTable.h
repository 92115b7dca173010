#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <algorithm>

// Records keyed by their `id`, stored contiguously in the order each id was first seen so that
// a full scan is a walk over one array. A replaced record keeps its place. Nothing is removed.
template <class Record>
class IdTable {
public:
    // Room for `size` records; grows geometrically so that many small batches stay linear.
    void reserve(qsizetype size) {
        if (size <= m_records.capacity())
            return;
        size = std::max(size, 2 * m_records.capacity());
        m_records.reserve(size);
        m_index.reserve(size);
    }

    // Inserts the record, or replaces the whole record stored under the same id after showing
    // `beforeReplace` its position, the old and the new record. Returns the position.
    template <class BeforeReplace>
    qsizetype upsert(Record record, BeforeReplace&& beforeReplace) {
        const qsizetype known = m_index.size();
        qsizetype& slot = m_index[record.id]; // one lookup for both cases
        if (m_index.size() == known) {
            beforeReplace(slot, std::as_const(m_records[slot]), std::as_const(record));
            m_records[slot] = std::move(record);
            return slot;
        }
        slot = m_records.size();
        m_records.append(std::move(record));
        return slot;
    }

    qsizetype upsert(Record record) {
        return upsert(std::move(record), [](qsizetype, const Record&, const Record&) {});
    }

    const Record* find(const QString& id) const {
        const auto slot = m_index.constFind(id);
        return slot == m_index.constEnd() ? nullptr : &m_records[*slot];
    }

    // Every record, in the order their ids were first seen.
    const QList<Record>& records() const { return m_records; }
    qsizetype size() const { return m_records.size(); }

    QHash<QString, Record> toHash() const {
        QHash<QString, Record> hash;
        hash.reserve(m_records.size());
        for (const Record& record : m_records)
            hash.insert(record.id, record);
        return hash;
    }

private:
    QList<Record> m_records;
    QHash<QString, qsizetype> m_index; // id -> position in m_records
};
