#pragma once
// The growable array that every list crossing a module boundary uses. Storage
// holds exactly `capacity` default-constructed slots and grows linearly by the
// grow step, so arrays filled in one module read the same in another.

#include <climits>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

template <typename T>
class CYolArray {
public:
    CYolArray() = default;

    // A fill of n elements also grows by n; a fill of 0 (grow step 0) still
    // grows one slot at a time when added to.
    CYolArray(int n, const T& fill) : growStep(n > 0 ? n : 0) {
        if (n <= 0)
            return;
        std::unique_ptr<T[]> fresh(new T[n]);
        for (int i = 0; i < n; ++i)
            fresh[i] = fill;
        buffer = fresh.release();
        count = capacity = n;
    }

    CYolArray(const CYolArray& other) { CopyFrom(other); }

    CYolArray(CYolArray&& other) noexcept
        : buffer(other.buffer), count(other.count), capacity(other.capacity), growStep(other.growStep) {
        other.buffer = nullptr;
        other.count = other.capacity = 0;
    }

    CYolArray& operator=(const CYolArray& other) {
        if (this != &other) {
            Release();
            CopyFrom(other);
        }
        return *this;
    }

    CYolArray& operator=(CYolArray&& other) noexcept {
        if (this != &other) {
            Release();
            buffer = other.buffer;
            count = other.count;
            capacity = other.capacity;
            growStep = other.growStep;
            other.buffer = nullptr;
            other.count = other.capacity = 0;
        }
        return *this;
    }

    virtual ~CYolArray() { Release(); }

    // `item` may be an element of this array: it is copied before the
    // storage it lives in can be replaced.
    int Add(const T& item) {
        if (count == capacity) {
            T keep(item);
            Grow();
            buffer[count] = std::move(keep);
        } else {
            buffer[count] = item;
        }
        return count++;
    }

    int Add(T&& item) {
        if (count == capacity) {
            T keep(std::move(item));
            Grow();
            buffer[count] = std::move(keep);
        } else {
            buffer[count] = std::move(item);
        }
        return count++;
    }

    int InsertAt(int index, const T& item) {
        if (index < 0)
            index = 0;
        if (index > count)
            index = count;
        T keep(item);
        if (count == capacity)
            Grow();
        for (int i = count; i > index; --i)
            buffer[i] = std::move(buffer[i - 1]);
        buffer[index] = std::move(keep);
        ++count;
        return index;
    }

    // Later elements move down one place; a removed pointer is not deleted.
    void RemoveAt(int index) {
        if (index < 0 || index >= count)
            return;
        for (int i = index; i + 1 < count; ++i)
            buffer[i] = std::move(buffer[i + 1]);
        --count;
    }

    // An index outside [0, count) is a caller's fault that must not read
    // foreign memory or hand back some other element: it throws instead.
    T& operator[](int index) {
        Check(index);
        return buffer[index];
    }
    const T& operator[](int index) const {
        Check(index);
        return buffer[index];
    }

    void Reserve(int n) {
        if (capacity < n)
            Reallocate(n);
    }

    void FreeExtra() {
        if (count < capacity)
            Reallocate(count);
    }

    // Empties the array; the storage is kept for reuse.
    void Clear() { count = 0; }

    int Count() const { return count; }
    int Capacity() const { return capacity; }
    int GrowStep() const { return growStep; }
    void SetGrowStep(int step) { growStep = step > 0 ? step : 1; }

    T* begin() { return buffer; }
    T* end() { return buffer + count; }
    const T* begin() const { return buffer; }
    const T* end() const { return buffer + count; }

    T* buffer = nullptr;
    int count = 0;
    int capacity = 0;
    int growStep = 10;

private:
    void Check(int index) const {
        if (index < 0 || index >= count)
            throw std::out_of_range("CYolArray index out of range");
    }

    void Grow() {
        int step = growStep > 0 ? growStep : 1;
        if (capacity > INT_MAX - step)
            throw std::length_error("CYolArray capacity overflow");
        Reallocate(capacity + step);
    }

    // A failed allocation leaves the old storage in place.
    void Reallocate(int n) {
        std::unique_ptr<T[]> fresh(n > 0 ? new T[n] : nullptr);
        int kept = count < n ? count : n;
        for (int i = 0; i < kept; ++i)
            fresh[i] = std::move(buffer[i]);
        delete[] buffer;
        buffer = fresh.release();
        capacity = n;
        count = kept;
    }

    // On a failed allocation the copy is an empty array (count and capacity
    // 0) with the source's grow step.
    void CopyFrom(const CYolArray& other) {
        growStep = other.growStep;
        buffer = nullptr;
        count = capacity = 0;
        if (other.capacity <= 0)
            return;
        std::unique_ptr<T[]> fresh(new (std::nothrow) T[other.capacity]);
        if (!fresh)
            return;
        for (int i = 0; i < other.count; ++i)
            fresh[i] = other.buffer[i];
        buffer = fresh.release();
        capacity = other.capacity;
        count = other.count;
    }

    void Release() {
        delete[] buffer;
        buffer = nullptr;
        count = capacity = 0;
    }
};
