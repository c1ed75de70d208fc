#pragma once
// A map from node handles to small values in one flat table.

#include "data/DataRecords.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace data {

// Handle to value, open addressing with linear probing. A library of ten thousand documents is indexed after
// every load: one table costs one allocation where a node-based map costs one per entry. Pointers to values
// hold until the next insertion or erasure.
template <class T> class CNodeMapT {
public:
    void Clear() noexcept {
        m_slots.clear();
        m_count = 0;
        m_shift = 64;
    }

    // Makes room for `count` entries without growing on the way.
    void Reserve(size_t count) {
        size_t capacity = kMinCapacity;
        while (capacity * kFullParts < count * kAllParts) {
            capacity *= 2;
        }
        if (capacity > m_slots.size()) {
            Rehash(capacity);
        }
    }

    [[nodiscard]] T* Find(NodeHandle handle) noexcept {
        const size_t index = IndexOf(handle);
        return index == kNotFound ? nullptr : &m_slots[index].value;
    }
    [[nodiscard]] const T* Find(NodeHandle handle) const noexcept {
        const size_t index = IndexOf(handle);
        return index == kNotFound ? nullptr : &m_slots[index].value;
    }

    // The value of the handle, added default-made when there is none; kNoNode is never a key.
    T& operator[](NodeHandle handle) {
        if ((m_count + 1) * kAllParts > m_slots.size() * kFullParts) {
            Rehash(m_slots.empty() ? kMinCapacity : m_slots.size() * 2);
        }
        const size_t mask = m_slots.size() - 1;
        size_t index = Home(handle);
        while (m_slots[index].key != kNoNode && m_slots[index].key != handle) {
            index = (index + 1) & mask;
        }
        if (m_slots[index].key == kNoNode) {
            m_slots[index] = Slot{handle, T{}};
            ++m_count;
        }
        return m_slots[index].value;
    }

    // False when the handle is not in the map.
    bool Erase(NodeHandle handle) noexcept {
        size_t hole = IndexOf(handle);
        if (hole == kNotFound) {
            return false;
        }
        // Later entries of the same probe run move back into the hole, so no search stops early at it.
        const size_t mask = m_slots.size() - 1;
        for (size_t next = (hole + 1) & mask; m_slots[next].key != kNoNode; next = (next + 1) & mask) {
            const size_t home = Home(m_slots[next].key);
            const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
            if (!stays) {
                m_slots[hole] = std::move(m_slots[next]);
                hole = next;
            }
        }
        m_slots[hole] = Slot{};
        --m_count;
        return true;
    }

    [[nodiscard]] size_t Size() const noexcept { return m_count; }

private:
    struct Slot {
        NodeHandle key = kNoNode;
        T value{};
    };

    static constexpr size_t kNotFound = ~size_t{0};
    static constexpr size_t kMinCapacity = 16;
    // A table is at most three quarters full, so every probe run ends soon at an empty slot.
    static constexpr size_t kFullParts = 3;
    static constexpr size_t kAllParts = 4;

    [[nodiscard]] size_t Home(NodeHandle handle) const noexcept {
        // Handles are mostly consecutive: the multiplication spreads them over the whole table.
        return static_cast<size_t>((uint64_t{handle} * 0x9E3779B97F4A7C15ULL) >> m_shift);
    }

    [[nodiscard]] size_t IndexOf(NodeHandle handle) const noexcept {
        if (handle == kNoNode || m_slots.empty()) {
            return kNotFound;
        }
        const size_t mask = m_slots.size() - 1;
        for (size_t index = Home(handle);; index = (index + 1) & mask) {
            if (m_slots[index].key == handle) {
                return index;
            }
            if (m_slots[index].key == kNoNode) {
                return kNotFound;
            }
        }
    }

    void Rehash(size_t capacity) {
        std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(capacity));
        m_shift = 64;
        for (size_t size = capacity; size > 1; size /= 2) {
            --m_shift;
        }
        m_count = 0;
        for (Slot& slot : old) {
            if (slot.key != kNoNode) {
                (*this)[slot.key] = std::move(slot.value);
            }
        }
    }

    std::vector<Slot> m_slots;
    size_t m_count = 0;
    // 64 minus the number of bits of the table size.
    unsigned m_shift = 64;
};

} // namespace data
