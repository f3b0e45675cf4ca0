// A block of records whose address range is set aside whole but backed by
// memory only where it is made ready, a stretch at a time.
//
// The triangulation sets aside a bound of record slots that it rarely comes
// near (it touches about a quarter of them). Address space costs nothing,
// but on Windows, and on Linux with strict overcommit, memory that is merely
// mapped writable already counts against the system's commit limit; this
// block counts only the stretches made ready.
#ifndef DELAUNAY2D_ENGINE_SYSTEM_RESERVED_BLOCK_HPP
#define DELAUNAY2D_ENGINE_SYSTEM_RESERVED_BLOCK_HPP

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

namespace d2d {

namespace reserved_memory {
// Address space for `bytes`, not yet usable; throws std::bad_alloc.
void* reserve(size_t bytes);
// Makes the pages that hold [start, start + bytes) of a reserved range
// usable (zero-filled where new); throws std::bad_alloc when the system
// cannot back them. Pages already usable stay as they are.
void make_ready(void* start, size_t bytes);
// Gives the memory of the whole pages within [start, start + bytes) back to
// the system; their content is lost. Only a hint: where the system refuses,
// nothing changes.
void discard(void* start, size_t bytes) noexcept;
void release(void* block, size_t bytes) noexcept;
// For tests: when set, make_ready first asks `refuse` and fails, as when the
// system cannot back the pages, where it answers true (it may also take its
// time, to let a test choose the moment). Null, the default: no such check.
using ReadyRefusal = bool (*)(const void* start, size_t bytes);
void refuse_for_testing(ReadyRefusal refuse) noexcept;
}  // namespace reserved_memory

template <class T>
class ReservedBlock {
    static_assert(std::is_trivially_copyable_v<T>, "records are plain bytes");

 public:
    explicit ReservedBlock(size_t count) : data_(static_cast<T*>(reserved_memory::reserve(bytes(count)))), size_(count) {}
    ~ReservedBlock() { reserved_memory::release(data_, size_ * sizeof(T)); }
    ReservedBlock(const ReservedBlock&) = delete;
    ReservedBlock& operator=(const ReservedBlock&) = delete;

    T* data() { return data_; }
    size_t size() const { return size_; }

    // The bytes of `count` records; a 32-bit size (WebAssembly) wraps long
    // before memory runs out, which must fail rather than reserve too little.
    static size_t bytes(size_t count) {
        if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        return count * sizeof(T);
    }

    // Makes records [first, last) usable.
    void make_ready(size_t first, size_t last) { reserved_memory::make_ready(data_ + first, (last - first) * sizeof(T)); }
    // Gives back the memory of records [first, last), which are not read again.
    void discard(size_t first, size_t last) noexcept {
        reserved_memory::discard(data_ + first, (last - first) * sizeof(T));
    }

 private:
    T* data_;
    size_t size_;
};

}  // namespace d2d

#endif
