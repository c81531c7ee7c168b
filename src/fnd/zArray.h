#pragma once
// Array indexed from a movable base that grows on demand: touching an index
// outside the current range enlarges the storage to the needed size times
// 1.5, filling new slots with the array's default value. It tracks the lowest
// and highest index used; count() is highest - lowest + 1.
#include "fndAssert.h"

#include <algorithm>
#include <vector>

class zString;

template <typename T>
class zArray {
public:
    static constexpr double kGrowth = 1.5;

    explicit zArray(int capacity = 0, int base = 0, T defaultValue = T())
        : slots_(static_cast<size_t>(std::max(capacity, 0)), defaultValue), base_(base), default_(std::move(defaultValue)) {}

    T& operator[](int n) {
        ensure(n);
        if (lowest_ > highest_) {
            lowest_ = highest_ = n;
        } else {
            lowest_ = std::min(lowest_, n);
            highest_ = std::max(highest_, n);
        }
        return slots_[static_cast<size_t>(n - base_)];
    }

    int count() const { return lowest_ > highest_ ? 0 : highest_ - lowest_ + 1; }
    int lowest() const { return lowest_; }
    int highest() const { return highest_; }
    int capacity() const { return static_cast<int>(slots_.size()); }

    // Forgets the used range; storage and base stay.
    void reset() {
        std::fill(slots_.begin(), slots_.end(), default_);
        lowest_ = 0;
        highest_ = -1;
    }

private:
    void ensure(int n) {
        int sz = capacity();
        if (n >= base_ && n < base_ + sz) return;
        if (n >= base_) {
            int needed = n - base_ + 1;
            slots_.resize(static_cast<size_t>(needed * kGrowth) + 1, default_);
        } else {
            int needed = base_ + sz - n;
            int newSize = static_cast<int>(needed * kGrowth) + 1;
            int shift = newSize - sz;
            slots_.insert(slots_.begin(), static_cast<size_t>(shift), default_);
            base_ -= shift;
        }
        sz = capacity();
        zASSERT(n >= base_ && n < base_ + sz);
    }

    std::vector<T> slots_;
    int base_;
    T default_;
    int lowest_ = 0;
    int highest_ = -1;
};

using zStringArray = zArray<zString>;
