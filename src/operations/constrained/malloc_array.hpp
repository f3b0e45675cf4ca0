// A growable array in a block from malloc, so that the index-array call's arrays
// can be taken over without a copy and the finished ones handed to the
// host, who frees them with free. Elements are trivially copyable.
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_MALLOC_ARRAY_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_MALLOC_ARRAY_HPP

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>

#include "engine/system/allocation_faults.hpp"

namespace d2d::operations::constrained {

template <class T>
class MallocArray {
    static_assert(std::is_trivially_copyable_v<T>);

 public:
    MallocArray() = default;
    MallocArray(const MallocArray&) = delete;
    MallocArray& operator=(const MallocArray&) = delete;
    ~MallocArray() { std::free(data_); }

    // Takes over `count` elements at `block` (from malloc).
    void adopt(T* block, size_t count) {
        std::free(data_);
        data_ = block;
        size_ = count;
        capacity_ = count;
    }
    // Hands the block over to the caller, shrunk to its size.
    T* release() {
        if (size_ < capacity_ && size_ > 0) {
            if (void* shrunk = std::realloc(data_, size_ * sizeof(T))) data_ = static_cast<T*>(shrunk);
        }
        T* out = data_;
        data_ = nullptr;
        size_ = capacity_ = 0;
        return out;
    }
    // Grows (by half again, at least) or shrinks; new elements get `value`.
    void resize(size_t count, T value = T{}) {
        if (count > capacity_) {
            size_t grown = capacity_ + capacity_ / 2;
            if (grown < count) grown = count;
            // The same checks as every array handed to a host: no overflow,
            // and the test hook that makes allocations fail.
            if (grown > SIZE_MAX / sizeof(T) || allocation_faults::next_fails()) throw std::bad_alloc();
            void* block = std::realloc(data_, grown * sizeof(T));
            if (block == nullptr) throw std::bad_alloc();
            data_ = static_cast<T*>(block);
            capacity_ = grown;
        }
        for (size_t i = size_; i < count; ++i) data_[i] = value;
        size_ = count;
    }

    size_t size() const { return size_; }
    T* data() { return data_; }
    T& operator[](size_t i) { return data_[i]; }
    const T& operator[](size_t i) const { return data_[i]; }

 private:
    T* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace d2d::operations::constrained

#endif
