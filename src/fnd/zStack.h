#pragma once
// Stack on a growable array of initial capacity 10; popping an empty stack
// raises FndException("Stack underflow").
#include "FndException.h"
#include "zArray.h"

template <typename T>
class zStack {
public:
    zStack() : items_(10) {}

    void push(T item) { items_[size_++] = std::move(item); }

    T pop() {
        if (size_ == 0) throw FndException("Stack underflow");
        return std::move(items_[--size_]);
    }

    const T& top() {
        if (size_ == 0) throw FndException("Stack underflow");
        return items_[size_ - 1];
    }

    int count() const { return size_; }
    bool isEmpty() const { return size_ == 0; }

private:
    zArray<T> items_;
    int size_ = 0;
};
