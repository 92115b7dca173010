#pragma once

#include <QtGlobal>

#include <optional>
#include <utility>

// The bytes of request bodies that all connections may hold at once. Used on the I/O thread
// only; a lease gives its bytes back when it goes.
class BodyBudget {
public:
    explicit BodyBudget(qsizetype total) : m_left(total) {}

    class Lease {
    public:
        Lease(BodyBudget& budget, qsizetype bytes) : m_budget(&budget), m_bytes(bytes) {}
        Lease(Lease&& other) noexcept
            : m_budget(std::exchange(other.m_budget, nullptr)), m_bytes(other.m_bytes) {}
        Lease& operator=(Lease&& other) noexcept {
            if (this != &other) {
                giveBack();
                m_budget = std::exchange(other.m_budget, nullptr);
                m_bytes = other.m_bytes;
            }
            return *this;
        }
        ~Lease() { giveBack(); }

    private:
        void giveBack() {
            if (m_budget)
                m_budget->m_left += m_bytes;
            m_budget = nullptr;
        }

        BodyBudget* m_budget;
        qsizetype m_bytes;
    };

    // No value when fewer than `bytes` are left.
    std::optional<Lease> reserve(qsizetype bytes) {
        if (bytes > m_left)
            return std::nullopt;
        m_left -= bytes;
        return std::optional<Lease>(std::in_place, *this, bytes);
    }

private:
    qsizetype m_left;
};
