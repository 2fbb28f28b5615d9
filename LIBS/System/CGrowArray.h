#pragma once
// A growable array of pointers {data, count, capacity, growBy}, owned by one
// object. It does not own the pointees.

#include <cstddef>
#include <cstdint>
#include <utility>

template <class T>
class CGrowArray
{
public:
    CGrowArray() noexcept = default;
    CGrowArray(const CGrowArray& other) { *this = other; }
    CGrowArray& operator=(const CGrowArray& other)
    {
        if (this != &other) {
            T** fresh = other.capacity > 0 ? new T*[static_cast<size_t>(other.capacity)]() : nullptr;
            for (int32_t i = 0; i < other.count; ++i)
                fresh[i] = other.data[i];
            delete[] data;
            data = fresh;
            count = other.count;
            capacity = other.capacity;
            growBy = other.growBy;
        }
        return *this;
    }
    CGrowArray(CGrowArray&& other) noexcept { swap(other); }
    CGrowArray& operator=(CGrowArray&& other) noexcept
    {
        if (this != &other) {
            CGrowArray moved(std::move(other));
            swap(moved);
        }
        return *this;
    }
    ~CGrowArray() { delete[] data; }

    void swap(CGrowArray& other) noexcept
    {
        std::swap(data, other.data);
        std::swap(count, other.count);
        std::swap(capacity, other.capacity);
        std::swap(growBy, other.growBy);
    }

    T*& operator[](int32_t i) noexcept { return data[i]; }
    T* operator[](int32_t i) const noexcept { return data[i]; }
    T** begin() noexcept { return data; }
    T** end() noexcept { return data + count; }

    // Appends a pointer, growing by growBy slots when full; returns its index.
    int32_t add(T* p)
    {
        if (count >= capacity) {
            int32_t n = count + (growBy > 0 ? growBy : 1);
            T** fresh = new T*[static_cast<size_t>(n)]();
            for (int32_t i = 0; i < count; ++i)
                fresh[i] = data[i];
            delete[] data;
            data = fresh;
            capacity = n;
        }
        data[count] = p;
        return count++;
    }

    // Frees the storage.
    void clear() noexcept
    {
        delete[] data;
        data = nullptr;
        count = capacity = 0;
    }

    T** data = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
    int32_t growBy = 1;
};
