#pragma once

#include <atomic>
#include <type_traits>

// A record member that one thread writes while another reads or resets it (the unsent mouse
// travel, the "measure distance" flag). Reads and writes are atomic; copying takes a snapshot,
// so the record that holds it can still be copied, saved and loaded as one unit.
template <typename T>
class SharedValue {
public:
    SharedValue(T value = T{}) : value_(value) {}  // NOLINT: converts like the plain member
    SharedValue(const SharedValue& other) : value_(other.Load()) {}
    SharedValue& operator=(const SharedValue& other) {
        Store(other.Load());
        return *this;
    }
    SharedValue& operator=(T value) {
        Store(value);
        return *this;
    }

    operator T() const { return Load(); }  // NOLINT: reads like the plain member
    T Load() const { return value_.load(std::memory_order_relaxed); }
    void Store(T value) { value_.store(value, std::memory_order_relaxed); }
    T Exchange(T value) { return value_.exchange(value, std::memory_order_relaxed); }

    // Adds without losing a concurrent Add or Exchange (compare-exchange loop).
    void Add(T amount) {
        T expected = value_.load(std::memory_order_relaxed);
        while (
            !value_.compare_exchange_weak(expected, expected + amount, std::memory_order_relaxed)) {
        }
    }

private:
    std::atomic<T> value_;
    static_assert(std::atomic<T>::is_always_lock_free);
};
