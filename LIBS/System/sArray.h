#pragma once
// A plain growable array {data, count, capacity, growStep} over ordinary heap
// storage, owned by one object. Every slot of the storage is constructed;
// slots past `count` hold default or left-over values.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

template <class T>
class sArray
{
public:
    explicit sArray(int32_t step = 16) noexcept : growStep(step) {}
    sArray(const sArray& other) : growStep(other.growStep) { copyFrom(other); }
    sArray(sArray&& other) noexcept
        : data(other.data), count(other.count), capacity(other.capacity), growStep(other.growStep)
    {
        other.data = nullptr;
        other.count = other.capacity = 0;
    }
    sArray& operator=(const sArray& other)
    {
        if (this != &other) {
            sArray copy(other);
            swap(copy);
        }
        return *this;
    }
    sArray& operator=(sArray&& other) noexcept
    {
        if (this != &other) {
            sArray moved(std::move(other));
            swap(moved);
        }
        return *this;
    }
    ~sArray() { delete[] data; }

    void swap(sArray& other) noexcept
    {
        std::swap(data, other.data);
        std::swap(count, other.count);
        std::swap(capacity, other.capacity);
        std::swap(growStep, other.growStep);
    }

    T& operator[](int32_t i) noexcept { return data[i]; }
    const T& operator[](int32_t i) const noexcept { return data[i]; }
    T* begin() noexcept { return data; }
    T* end() noexcept { return data + count; }
    const T* begin() const noexcept { return data; }
    const T* end() const noexcept { return data + count; }

    // Adds n slots at the end, growing to a multiple of growStep; returns the
    // index of the first new slot.
    int32_t grow(int32_t n)
    {
        if (n < 0)
            n = 0;
        if (count + n > capacity) {
            int32_t step = stepSize();
            reallocate(((count + n + step - 1) / step) * step);
        }
        int32_t first = count;
        count += n;
        return first;
    }

    int32_t add(const T& element)
    {
        if (count >= capacity) {
            T copy(element); // the element may live in the old storage
            reallocate(count + stepSize());
            data[count] = std::move(copy);
        } else {
            data[count] = element;
        }
        return count++;
    }

    // Stores `element` at `index` (clamped to 0 .. count), moving later elements up.
    void insertAt(const T& element, int32_t index)
    {
        T copy(element);
        if (count >= capacity)
            reallocate(count + stepSize());
        if (index < 0)
            index = 0;
        if (index > count)
            index = count;
        for (int32_t i = count; i > index; --i)
            data[i] = std::move(data[i - 1]);
        data[index] = std::move(copy);
        ++count;
    }

    // n 0 frees the storage; otherwise n slots keeping the first min(count, n) elements.
    void setCapacity(int32_t n)
    {
        if (n <= 0) {
            delete[] data;
            data = nullptr;
            count = capacity = 0;
            return;
        }
        reallocate(n);
        if (count > n)
            count = n;
    }

    // Removes the element at index and returns it; a default element when the
    // index is outside the array.
    T takeAt(int32_t index)
    {
        if (index < 0 || index >= count)
            return T();
        T taken(std::move(data[index]));
        for (int32_t i = index; i + 1 < count; ++i)
            data[i] = std::move(data[i + 1]);
        --count;
        data[count] = T();
        return taken;
    }

    // takeAt for pointer arrays: null for an index outside the array.
    T removeAt(int32_t index) { return takeAt(index); }

    // Removes the first element equal to `value`; returns it, or a default
    // (null) element when absent.
    T remove(const T& value)
    {
        int32_t i = indexOf(value);
        return i < 0 ? T() : removeAt(i);
    }

    // The element after the first one equal to `value`; default when absent or last.
    T next(const T& value) const
    {
        int32_t i = indexOf(value);
        return (i < 0 || i + 1 >= count) ? T() : data[i + 1];
    }

    // Index of the first record whose first 32-bit word equals `key`, -1 when none.
    int32_t findById(int32_t key) const noexcept
    {
        static_assert(sizeof(T) >= sizeof(int32_t) && std::is_trivially_copyable_v<T>,
                      "findById reads the first word of a plain record");
        for (int32_t i = 0; i < count; ++i) {
            int32_t id;
            std::memcpy(&id, static_cast<const void*>(&data[i]), sizeof id);
            if (id == key)
                return i;
        }
        return -1;
    }

    int32_t indexOf(const T& value) const
    {
        for (int32_t i = 0; i < count; ++i)
            if (data[i] == value)
                return i;
        return -1;
    }

    void resetCount() noexcept { count = 0; }

    T* data = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
    int32_t growStep;

private:
    int32_t stepSize() const noexcept { return growStep > 0 ? growStep : 1; }

    void reallocate(int32_t n)
    {
        T* fresh = new T[static_cast<size_t>(n)]();
        int32_t keep = count < n ? count : n;
        for (int32_t i = 0; i < keep; ++i)
            fresh[i] = std::move(data[i]);
        delete[] data;
        data = fresh;
        capacity = n;
    }

    void copyFrom(const sArray& other)
    {
        if (other.capacity > 0) {
            data = new T[static_cast<size_t>(other.capacity)]();
            for (int32_t i = 0; i < other.count; ++i)
                data[i] = other.data[i];
        }
        count = other.count;
        capacity = other.capacity;
    }
};
