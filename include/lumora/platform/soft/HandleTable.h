// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace lumora::soft {

// The software surface's objects by handle. A paint pass makes and deletes
// a brush or a pen for nearly every call, so this allocates nothing once it
// has held as many objects at once as it holds now: items live in chunks
// and are reused, and handles are found through one open-addressing array.
// An item keeps its address until it is erased, as callers hold on to
// bitmaps they draw on. Handle 0 is never stored.
template <typename T>
class HandleTable {
public:
    T* Find(std::uintptr_t key) noexcept {
        const std::size_t slot = SlotOf(key);
        return slot == kNone ? nullptr : slots_[slot].item;
    }
    const T* Find(std::uintptr_t key) const noexcept { return const_cast<HandleTable*>(this)->Find(key); }
    bool Contains(std::uintptr_t key) const noexcept { return SlotOf(key) != kNone; }
    std::size_t size() const noexcept { return size_; }

    // Adds the item of a handle the table does not hold yet.
    T& Insert(std::uintptr_t key, T value) {
        if ((size_ + 1) * 2 > slots_.size()) Grow();
        T* item = NewItem(std::move(value));
        Place(key, item);
        ++size_;
        return *item;
    }

    bool Erase(std::uintptr_t key) {
        std::size_t hole = SlotOf(key);
        if (hole == kNone) return false;
        T* item = slots_[hole].item;
        *item = T{};
        free_.push_back(item);
        // Entries after the hole that could have sat in it move back, so
        // every entry stays reachable from its home slot without markers.
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t next = (hole + 1) & mask; slots_[next].key != 0; next = (next + 1) & mask) {
            const std::size_t home = Home(slots_[next].key);
            const bool staysAfterHole = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
            if (staysAfterHole) continue;
            slots_[hole] = slots_[next];
            hole = next;
        }
        slots_[hole] = Slot{};
        --size_;
        return true;
    }

    // Visits every handle and its item, in no particular order.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (const Slot& slot : slots_)
            if (slot.key != 0) visit(slot.key, static_cast<const T&>(*slot.item));
    }

private:
    struct Slot {
        std::uintptr_t key = 0;
        T* item = nullptr;
    };
    static constexpr std::size_t kNone = ~std::size_t{0};
    static constexpr std::size_t kMinSlots = 64;

    // Handles are spread out by a multiplicative hash: they come from a
    // counter, four apart.
    std::size_t Home(std::uintptr_t key) const noexcept {
        const std::uint64_t mixed = (std::uint64_t{key} >> 2) * 0x9E3779B97F4A7C15ULL;
        return static_cast<std::size_t>(mixed >> 32) & (slots_.size() - 1);
    }

    std::size_t SlotOf(std::uintptr_t key) const noexcept {
        if (slots_.empty() || key == 0) return kNone;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = Home(key);; slot = (slot + 1) & mask) {
            if (slots_[slot].key == key) return slot;
            if (slots_[slot].key == 0) return kNone;
        }
    }

    void Place(std::uintptr_t key, T* item) noexcept {
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = Home(key);
        while (slots_[slot].key != 0) slot = (slot + 1) & mask;
        slots_[slot] = Slot{key, item};
    }

    void Grow() {
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(std::max(kMinSlots, slots_.size() * 2)));
        for (const Slot& slot : old)
            if (slot.key != 0) Place(slot.key, slot.item);
    }

    T* NewItem(T value) {
        if (free_.empty()) return &items_.emplace_back(std::move(value));
        T* item = free_.back();
        free_.pop_back();
        *item = std::move(value);
        return item;
    }

    std::deque<T> items_;
    std::vector<T*> free_;
    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};

}  // namespace lumora::soft
