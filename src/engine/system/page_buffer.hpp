// A growable array of plain records whose large storage comes straight from
// the operating system's page allocator.
//
// The triangulation's working arrays are tens to hundreds of megabytes and
// live only for one call. Taken from the C heap, blocks of that size can stay
// in the process after they are freed (the heap keeps freed space that is not
// at its top), which would add to the memory a host sees after every call
// and to the peak while the mesh is written. Pages mapped for each array are
// returned the moment the array goes away. Small arrays use the C heap.
#ifndef DELAUNAY2D_ENGINE_SYSTEM_PAGE_BUFFER_HPP
#define DELAUNAY2D_ENGINE_SYSTEM_PAGE_BUFFER_HPP

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace d2d {

namespace page_memory {
// Blocks from here up go to the page allocator.
inline constexpr size_t kMappedFrom = size_t{1} << 20;
// Zero-filled block of at least `bytes`; throws std::bad_alloc on failure.
void* allocate(size_t bytes);
void release(void* block, size_t bytes) noexcept;
// Asks the system to back the whole pages within [start, start + bytes)
// with memory now, in one go, rather than page by page as they are first
// written. Only a hint: does nothing where the system has no such request.
void populate(void* start, size_t bytes) noexcept;
}  // namespace page_memory

template <class T>
class PageBuffer {
    static_assert(std::is_trivially_copyable_v<T>, "records are moved as bytes");

 public:
    PageBuffer() = default;
    explicit PageBuffer(size_t count) { resize(count); }
    ~PageBuffer() { page_memory::release(data_, capacity_ * sizeof(T)); }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;
    PageBuffer(PageBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    PageBuffer& operator=(PageBuffer&& other) noexcept {
        if (this != &other) {
            page_memory::release(data_, capacity_ * sizeof(T));
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
            capacity_ = std::exchange(other.capacity_, 0);
        }
        return *this;
    }

    T* data() { return data_; }
    const T* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) { return data_[i]; }
    const T& operator[](size_t i) const { return data_[i]; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    T& back() { return data_[size_ - 1]; }

    // Room for `count` records; mapped pages cost memory only once written.
    void reserve(size_t count) {
        if (count <= capacity_) return;
        // A 32-bit size (WebAssembly) wraps long before memory runs out.
        if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        T* grown = static_cast<T*>(page_memory::allocate(count * sizeof(T)));
        if (size_ != 0) std::memcpy(grown, data_, size_ * sizeof(T));
        page_memory::release(data_, capacity_ * sizeof(T));
        data_ = grown;
        capacity_ = count;
    }
    // Records past the old size hold what the storage held: zeros where it
    // was never written (fresh storage is zero-filled), so filling a new
    // buffer costs no extra pass.
    void resize(size_t count) {
        reserve(count);
        size_ = count;
    }
    void push_back(const T& value) {
        if (size_ == capacity_) reserve(capacity_ < 16 ? 16 : 2 * capacity_);
        data_[size_++] = value;
    }
    void pop_back() { --size_; }
    void clear() { size_ = 0; }
    // Gives the storage back.
    void release() { *this = PageBuffer(); }

 private:
    T* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace d2d

#endif
