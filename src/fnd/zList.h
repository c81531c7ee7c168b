#pragma once
// Ordered list in one array that grows at both ends: room for 20 items at
// first with the first item in the middle, growing by 20 at whichever end is
// reached (re-centred first when the other end has room).
#include "fndAssert.h"

#include <utility>
#include <vector>

template <typename T>
class zList {
public:
    static constexpr int kGrowth = 20;

    zList() : slots_(kGrowth), first_(kGrowth / 2) {}

    int count() const { return cnt_; }
    bool isEmpty() const { return cnt_ == 0; }

    void append(T item) {
        if (first_ + cnt_ >= allocated()) makeRoomAtEnd();
        zASSERT((cnt_ + first_) < allocated());
        slots_[static_cast<size_t>(first_ + cnt_)] = std::move(item);
        ++cnt_;
    }

    void prepend(T item) {
        if (first_ == 0) makeRoomAtFront();
        --first_;
        slot(first_) = std::move(item);
        ++cnt_;
    }

    T& operator[](int n) {
        zASSERT((n >= 0) && (n < cnt_));
        return slot(first_ + n);
    }
    const T& operator[](int n) const {
        zASSERT((n >= 0) && (n < cnt_));
        return slots_[static_cast<size_t>(first_ + n)];
    }

    // Takes `count` items from `at` out of this list and returns them.
    zList remove(int at, int count = 1) {
        zASSERT((at >= 0) && (at < cnt_));
        zASSERT((count >= 0) && (at + count <= cnt_));
        zList taken;
        for (int i = 0; i < count; ++i) taken.append(std::move((*this)[at + i]));
        for (int i = at + count; i < cnt_; ++i) (*this)[i - count] = std::move((*this)[i]);
        for (int i = cnt_ - count; i < cnt_; ++i) slot(first_ + i) = T();
        cnt_ -= count;
        return taken;
    }

    void clear() { *this = zList(); }

private:
    int allocated() const { return static_cast<int>(slots_.size()); }
    T& slot(int indx) {
        zASSERT(indx >= 0 && indx < allocated());
        return slots_[static_cast<size_t>(indx)];
    }

    void recentre(int newFirst) {
        std::vector<T> moved(slots_.size());
        for (int i = 0; i < cnt_; ++i) moved[static_cast<size_t>(newFirst + i)] = std::move(slots_[static_cast<size_t>(first_ + i)]);
        slots_ = std::move(moved);
        first_ = newFirst;
    }

    void makeRoomAtEnd() {
        int spare = allocated() - cnt_;
        if (spare > 0) {
            recentre(spare / 2);
            return;
        }
        slots_.resize(slots_.size() + kGrowth);
    }

    void makeRoomAtFront() {
        int spare = allocated() - cnt_;
        if (spare > 0) {
            recentre((spare + 1) / 2);
            return;
        }
        slots_.insert(slots_.begin(), kGrowth, T());
        first_ += kGrowth;
    }

    std::vector<T> slots_;
    int first_;
    int cnt_ = 0;
};
