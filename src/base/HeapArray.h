// A growable array of plain values on the C heap, freed when it goes out of
// scope. The program uses it instead of the C++ library's containers, whose
// exception machinery would more than double the size of the exe.
#pragma once
#include <cstdlib>
#include <cstring>
#include <type_traits>

template <typename T>
class HeapArray {
    static_assert(std::is_trivially_copyable<T>::value, "moved with realloc");

public:
    HeapArray() : items_(nullptr), size_(0), capacity_(0) {}
    ~HeapArray() { free(items_); }
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;

    // New items are zero. False, with the array as it was, when memory runs out.
    bool resize(size_t size)
    {
        if (size > capacity_ && !reserve(size > 2 * capacity_ ? size : 2 * capacity_))
            return false;
        if (size > size_)
            memset(static_cast<void*>(items_ + size_), 0, (size - size_) * sizeof(T));
        size_ = size;
        return true;
    }
    bool push(const T& item)
    {
        if (!resize(size_ + 1))
            return false;
        items_[size_ - 1] = item;
        return true;
    }

    T* data() { return items_; }
    const T* begin() const { return items_; }
    const T* end() const { return items_ + size_; }
    size_t size() const { return size_; }
    T& operator[](size_t i) { return items_[i]; }
    const T& operator[](size_t i) const { return items_[i]; }

private:
    bool reserve(size_t capacity)
    {
        if (capacity > static_cast<size_t>(-1) / sizeof(T))
            return false;
        void* grown = realloc(items_, capacity * sizeof(T));
        if (!grown)
            return false;
        items_ = static_cast<T*>(grown);
        capacity_ = capacity;
        return true;
    }

    T*     items_;
    size_t size_;
    size_t capacity_;
};
