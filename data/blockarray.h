#pragma once
// An array that only grows at its end, for the cells of long results and
// lists. A short one lives on the heap; a long one in blocks of the block
// pool, which never move: growing copies nothing, and memory freed by one
// long read serves the next.

#include "data/blockpool.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

template <class T> class BlockArray {
    static_assert(std::is_trivially_copyable_v<T>);
    static_assert((sizeof(T) & (sizeof(T) - 1)) == 0, "a block holds a whole number of items");

  public:
    static constexpr std::size_t kPerBlock = BlockPool::kBlockBytes / sizeof(T);

    BlockArray() = default;
    ~BlockArray() { clear(); }
    BlockArray(const BlockArray& other) { *this = other; }
    BlockArray& operator=(const BlockArray& other) {
        if (this == &other) return *this;
        clear();
        for (std::size_t from = 0; from < other.size_; from += kPerBlock) {
            const std::size_t n = std::min(kPerBlock, other.size_ - from);
            reserveFor(from + n);
            std::memcpy(&(*this)[from], &other[from], n * sizeof(T));
            size_ = from + n;
        }
        return *this;
    }
    BlockArray(BlockArray&& other) noexcept { swap(other); }
    BlockArray& operator=(BlockArray&& other) noexcept {
        if (this != &other) {
            clear();
            swap(other);
        }
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return blocks_[i / kPerBlock][i % kPerBlock]; }
    const T& operator[](std::size_t i) const { return blocks_[i / kPerBlock][i % kPerBlock]; }
    T& back() { return (*this)[size_ - 1]; }

    void push_back(const T& value) {
        if (size_ == capacity_) reserveFor(size_ + 1);
        (*this)[size_++] = value;
    }
    // Grows to `n` items, the new ones value-initialised.
    void resize(std::size_t n) {
        while (size_ < n)
            push_back(T{});
    }
    // Empties the array: heap memory is freed, blocks go back to the pool.
    void clear() {
        for (std::size_t b = 0; b < blocks_.size(); ++b)
            if (b == 0 && heap_)
                std::free(blocks_[0]);
            else
                BlockPool::Give(blocks_[b]);
        blocks_.clear();
        heap_ = false;
        size_ = capacity_ = 0;
    }
    // Bytes held.
    std::size_t Bytes() const { return capacity_ * sizeof(T); }
    void swap(BlockArray& other) noexcept {
        blocks_.swap(other.blocks_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        std::swap(heap_, other.heap_);
    }

  private:
    // Up to this many items the first block is heap memory grown by doubling.
    static constexpr std::size_t kHeapItems = kPerBlock / 8;

    void reserveFor(std::size_t n) {
        while (capacity_ < n) {
            if (blocks_.empty()) {
                blocks_.push_back(heapItems(nullptr, 64));
                heap_ = true;
                capacity_ = 64;
            } else if (heap_ && capacity_ < kHeapItems) {
                blocks_[0] = heapItems(blocks_[0], capacity_ * 2);
                capacity_ *= 2;
            } else if (heap_) {
                // Long now: its first items move once into a block.
                T* block = static_cast<T*>(BlockPool::Take());
                std::memcpy(static_cast<void*>(block), blocks_[0], size_ * sizeof(T));
                std::free(blocks_[0]);
                blocks_[0] = block;
                heap_ = false;
                capacity_ = kPerBlock;
            } else {
                blocks_.push_back(static_cast<T*>(BlockPool::Take()));
                capacity_ += kPerBlock;
            }
        }
    }
    static T* heapItems(T* old, std::size_t n) {
        void* p = std::realloc(old, n * sizeof(T));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }

    std::vector<T*> blocks_;
    std::size_t size_ = 0, capacity_ = 0;
    bool heap_ = false; // the first block is heap memory
};
