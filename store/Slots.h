#pragma once
// Fixed-size slot tables of the notes. A note's slot number is its identity
// for life; a new note always takes the lowest free slot.

#include <cstddef>
#include <vector>

namespace kelup {

inline constexpr int kNoSlot = 999;

// The number of slots for a stored MAX1/MAX2 value: taken as it is when
// 5..256, else the default.
inline int SlotCountFor(int stored, int def) { return (stored >= 5 && stored <= 256) ? stored : def; }

template <typename Note>
class SlotTable {
public:
    explicit SlotTable(int max = 0) { Allocate(max); }

    // Sized once at start; one spare element past the last usable slot.
    void Allocate(int max) {
        max_ = max;
        notes_.assign(std::size_t(max) + 1, nullptr);
        state_.assign(std::size_t(max) + 1, 0);
        count_ = 0;
    }

    int Max() const { return max_; }
    int Count() const { return count_; }
    bool Full() const { return count_ >= max_; }

    // The lowest free slot, or kNoSlot when every slot is taken.
    int LowestFree() const {
        for (int i = 0; i < max_; ++i)
            if (state_[i] == 0) return i;
        return kNoSlot;
    }

    bool InUse(int slot) const { return Valid(slot) && state_[slot] == 1; }
    int State(int slot) const { return Valid(slot) ? state_[slot] : 0; }
    Note* At(int slot) const { return InUse(slot) ? notes_[slot] : nullptr; }

    // Marks the slot taken and counts it. Returns false for a bad or taken slot.
    bool Take(int slot, Note* note) {
        if (!Valid(slot) || state_[slot] != 0) return false;
        state_[slot] = 1;
        notes_[slot] = note;
        ++count_;
        return true;
    }

    // Frees the slot; the count never goes below 0.
    void Free(int slot) {
        if (!Valid(slot)) return;
        state_[slot] = 0;
        notes_[slot] = nullptr;
        if (count_ > 0) --count_;
    }

    // Visits the slots in use in ascending order.
    template <typename F>
    void ForEach(F&& f) const {
        for (int i = 0; i < max_; ++i)
            if (state_[i] == 1) f(i, notes_[i]);
    }

private:
    bool Valid(int slot) const { return slot >= 0 && slot < max_; }

    int max_ = 0;
    int count_ = 0;
    std::vector<Note*> notes_;
    std::vector<int> state_;
};

}  // namespace kelup
